#include "scheduler/core/scheduler_core.h"

#include "common/file_exists.h"
#include "common/service_defaults.h"
#include "common/version.h"
#include "platform/desktop/message_box.h"
#include "platform/desktop/time_scale.h"
#include "platform/settings/app_paths.h"
#include "scheduler/connection/connection_choice.h"
#include "scheduler/core/clock.h"
#include "scheduler/core/help_pages.h"
#include "scheduler/core/program_title.h"
#include "scheduler/core/system_date.h"
#include "scheduler/launch/print_utility_path.h"
#include "scheduler/line/status_lines.h"
#include "scheduler/settings/forwarding_rows.h"
#include "scheduler/settings/security_fields.h"

namespace torvex {
namespace {

qint32 toInt(const QString& text)
{
    return text.trimmed().toInt();
}

}  // namespace

SchedulerCore::SchedulerCore(CoreEnvironment env, SchedulerView& view, QObject* parent)
    : QObject(parent),
      env_(std::move(env)),
      view_(view),
      status_(*env_.clock),
      boxes_(*env_.boxes, state_.unattended, [this](const QString& text) { notice(text); }),
      account_(state_, view_, status_, boxes_, [this] { return env_.clock->now().date(); },
               [this] { accountRegistered(); }),
      dialUp_(view_, state_, status_, timer2_, account_),
      launcher_(*env_.clock, view_, state_, status_, boxes_, timer2_, dialUp_, account_),
      settings_(view_, state_, boxes_, *env_.profileChooser, account_,
                [this] {
                    // Leave no modem line held open behind us.
                    lineMonitor_.LineMonitor(2);
                    env_.endProgram();
                }),
      schedule_(*env_.clock, view_, state_, status_, boxes_, settings_, launcher_),
      fields_(view_, state_, boxes_, *env_.profileChooser, schedule_),
      switches_(view_, state_, schedule_),
      connectionPage_(view_, state_, boxes_, dialUp_, account_),
      lineMonitor_(view_, state_, status_, boxes_, timer3_, launcher_, schedule_),
      sendTest_(view_, state_, status_, boxes_, settings_, launcher_, schedule_)
{
    timer1_.setObjectName(QStringLiteral("Timer1"));
    timer2_.setObjectName(QStringLiteral("Timer2"));
    timer3_.setObjectName(QStringLiteral("Timer3"));
    for (QTimer* timer : {&timer1_, &timer2_, &timer3_})
        timer->setTimerType(Qt::CoarseTimer);
    timer2_.setSingleShot(true);
    timer3_.setSingleShot(true);
    connect(&timer1_, &QTimer::timeout, this, [this] { schedule_.Timer1_Timer(); });
    connect(&timer2_, &QTimer::timeout, this, [this] { launcher_.Timer2_Timer(); });

    connect(&status_, &StatusBar::textChanged, this, &SchedulerCore::statusTextChanged);
    connect(&launcher_, &PrintLauncher::captionChanged, this, &SchedulerCore::captionChanged);
    connect(&launcher_, &PrintLauncher::runStarted, this, &SchedulerCore::retrievalStarted);
    connect(&launcher_, &PrintLauncher::runEnded, this, &SchedulerCore::retrievalEnded);
    connect(&settings_, &SettingsApply::fieldRejected, this, &SchedulerCore::reportField);
    connect(&fields_, &FieldChecks::fieldRejected, this, &SchedulerCore::reportField);
}

SchedulerCore::~SchedulerCore() = default;

int SchedulerCore::minutesToNextRetrieval() const
{
    bool ok = false;
    const int minutes = view_.text(Control::Text19).trimmed().toInt(&ok);
    return ok ? minutes : -1;
}

void SchedulerCore::clicked(Control control)
{
    const AttendanceScope user(state_.unattended, false);
    if (switches_.clicked(control) || connectionPage_.clicked(control))
        return;
    switch (control) {
    case Control::Command1: settings_.Command1_Click(); break;
    case Control::Command2: settings_.Command2_Click(); break;
    case Control::Command4: Command4_Click(); break;
    case Control::Command5: sendTest_.Command5_Click(); break;
    case Control::Command6:
        account_.Command6_Click([this] { return IsConnection(view_, boxes_, state_); });
        break;
    case Control::Command8: env_.shell->open(homePageAddress(state_.info.gVXDomainName)); break;
    case Control::errorsignal: launcher_.errorsignal_Click(); break;
    default: break;
    }
}

void SchedulerCore::helpClicked(int index)
{
    const QString location =
        readTorvexKey(QStringLiteral("help_location"), QString::fromLatin1(kServiceHelpLocation));
    const QString page = helpPageAddress(location, state_.gAppPath, index);
    if (!page.isEmpty())
        env_.shell->open(page);
}

void SchedulerCore::relayGroupDoubleClicked()
{
    const AttendanceScope user(state_.unattended, false);
    account_.Frame15_DblClick();
}

void SchedulerCore::fieldChanged(Control field)
{
    const AttendanceScope user(state_.unattended, false);
    fields_.changed(field);
}

void SchedulerCore::fieldLeft(Control field)
{
    const AttendanceScope user(state_.unattended, false);
    fields_.left(field);
}

void SchedulerCore::fieldEntered(Control field)
{
    fields_.entered(field);
}

void SchedulerCore::Command4_Click()
{
    if (!settings_.applyBeforeRun(Control::Command4))
        return;
    const BusyScope hourglass(view_);
    status_.showNow(QStringLiteral(" "),
                    QStringLiteral("Retrieving TORVEXes for ") + state_.info.Torvex_Addr.toUpper());
    launcher_.shellIt(QStringLiteral("0"));
    schedule_.ResetCountdown();
    schedule_.ResetStatusBar();
}

void SchedulerCore::reportField(int page, Control field, const QString& message)
{
    boxes_.beep();
    boxes_.show(message, programTitle(), MsgButtons::Ok, MsgIcon::None);
    if (state_.unattended)
        return;
    if (view_.currentTab() != page)
        view_.switchFrame(page);
    view_.focus(field);
}

void SchedulerCore::notice(const QString& text)
{
    status_.showNow(QStringLiteral("  "), QString(text).replace(QLatin1String("\r\n"), QLatin1String(" ")));
    PrependStatusLine(view_, status_.text());
}

void SchedulerCore::accountRegistered()
{
    view_.setEnabled(Control::Command4, true);
    // A first run starts no schedule; the new account needs one.
    if (!timer1_.isActive())
        startScheduleTick();
    schedule_.ResetCountdown();
}

void SchedulerCore::startScheduleTick()
{
    timer1_.setInterval(scaledMs(60000));
    timer1_.start();
}

void SchedulerCore::tick(Control box, bool on)
{
    if (view_.isChecked(box) == on)
        return;
    view_.setChecked(box, on);
    if (!switches_.clicked(box))
        connectionPage_.clicked(box);
}

void SchedulerCore::Form_Unload()
{
    lineMonitor_.LineMonitor(2);
    lineMonitor_.shutDown();
}

void SchedulerCore::runStartupAccountSteps()
{
    const TelvaneInfo& info = state_.info;
    if (info.gACDateStamp.isEmpty() || info.gUserProfileStamp.isEmpty())
        return;
    if (moreDaysThan(info.gUserProfileStamp, env_.clock->now().date(), 30)) {
        account_.member.CheckMemberStatus();
        account_.reporting.UpdatedbLocalIPAddress();
    }
    if (state_.gflgSendIPAddressUpdate) {
        account_.protocol.SaveAccountInfo(2, false);
        if (account_.state().gHTTPOK)
            account_.reporting.SavePublicIPAddress();
    }
    account_.member.ResetGroupFunctions();
}

bool SchedulerCore::Form_Load()
{
    Q_EMIT captionChanged(programTitle());
    view_.setText(Control::Label45, programTitle() + QLatin1Char(' '));
    view_.setText(Control::Label48, QLatin1Char(' ') + QString::fromLatin1(kTorvexVersion));
    view_.switchFrame(1);

    state_.flgLoading = true;
    state_.info = GetTelvaneInfo();
    TelvaneInfo& info = state_.info;

    // The account file must exist.
    state_.gAppPath = programFolder();
    state_.gAccountFilePath = state_.gAppPath + QStringLiteral("/account.ini");
    qint32 error = 0;
    if (!FileExists(state_.gAccountFilePath, error)) {
        boxes_.beep();
        boxes_.show(QStringLiteral("Error ") + QString::number(error)
                        + QStringLiteral("\r\nMissing account file, cannot start ") + programTitle(),
                    programTitle(), MsgButtons::Ok, MsgIcon::None);
        return false;
    }

    state_.gShellPath = printUtilityPath(state_.gAppPath, info.print_exe);
    account_.profile.LoadAccountInfo();

    if (info.GSTN_Fax_Minutes.isEmpty())
        info.GSTN_Fax_Minutes = QStringLiteral("0");
    state_.gRegularFaxInterval = toInt(info.GSTN_Fax_Minutes);
    switches_.showPasswordEntries(true);

    loadPrinters();

    // A fixed profile cannot be changed here.
    if (info.Use_Profile) {
        view_.setEnabled(Control::Text16, false);
        view_.setVisible(Control::Label32, true);
        view_.setVisible(Control::Label53, true);
    }

    if (info.gflgUseDefaults)
        loadFirstRun();
    else
        loadNormalRun();
    // What the member status allows, from the start: without an account
    // (status empty or "-") forwarding and relay are off, as for a base member.
    account_.member.ResetGroupFunctions();

    Q_EMIT captionChanged(programTitle());
    view_.setText(Control::Check5,
                  QStringLiteral("You can use this schedule to retrieve your normal messages with MS "
                                 "Exchange.\n1) Check the box\n2) Enter below the MS Exchange profile "
                                 "name\n3) Set its schedule to 'Work off-line'"));

    splitTorvexAddress();

    lineMonitor_.ClearHandles();
    lineMonitor_.TapiStart();
    lineMonitor_.TapiGetDevCaps();
    view_.setText(Control::txtStatus, QString());
    if (!view_.entries(Control::lstLines).isEmpty())
        view_.setCurrentIndex(Control::lstLines, 0);
    lineMonitor_.LineMonitor(0);

    loadDialUpAndNetwork();

    const QString prefix = QStringLiteral("I connect to the mail server using ");
    view_.setText(Control::Option1, prefix + view_.text(Control::Option1));
    view_.setText(Control::Option2, prefix + view_.text(Control::Option2));
    resetConnectInfo(view_, info.Modem_Connect);
    schedule_.ResetStatusBar();
    state_.flgLoading = false;
    return true;
}

void SchedulerCore::loadPrinters()
{
    for (const QString& name : env_.printerNames()) {
        if (name.contains(QLatin1String("Fax"), Qt::CaseInsensitive)
            || name.contains(QLatin1String("Rendering"), Qt::CaseInsensitive))
            continue;
        view_.addEntry(Control::Combo2, name);
    }
    // The list would show its first entry; only the saved printer is chosen,
    // so that Apply can ask for one when none is.
    view_.setCurrentIndex(Control::Combo2,
                          int(view_.entries(Control::Combo2).indexOf(state_.info.gprinterName)));
}

void SchedulerCore::loadFirstRun()
{
    writeTorvexKey(QStringLiteral("Use_Defaults"), QStringLiteral("-"));
    state_.info.gWakeProbes = 3;
    state_.info.gWakeInterval = 40000;
    tick(Control::Check11, true);
    view_.setText(Control::Text12, state_.gdfltProfile);
    view_.setText(Control::Text15, state_.gdfltProfile);

    const MsgAnswer answer =
        boxes_.show(QStringLiteral("Would you like to view the SetUp Help Page now ?"), programTitle(),
                    MsgButtons::YesNo, MsgIcon::Question);
    if (answer == MsgAnswer::Yes) {
        const QString helpPage = state_.gAppPath + QStringLiteral("/vxphlpbs.htm");
        const QString readme = state_.gAppPath + QStringLiteral("/readme.txt");
        if (!env_.shell->open(helpPage) && !env_.shell->open(readme)) {
            boxes_.beep();
            boxes_.show(QStringLiteral("Please install Wordpad and open '") + readme
                            + QStringLiteral("' or a Web Browser and open '") + helpPage + QStringLiteral("'"),
                        programTitle(), MsgButtons::Ok, MsgIcon::None);
        }
    }
    view_.focus(Control::Text2);
}

void SchedulerCore::loadNormalRun()
{
    TelvaneInfo& info = state_.info;
    startScheduleTick();

    if (info.Cycle_Minutes.isEmpty())
        info.Cycle_Minutes = QStringLiteral("0");
    const std::pair<Control, QString> fields[] = {
        {Control::Text2, info.Country_Code},
        {Control::Text3, info.Area_Code},
        {Control::Text4, info.Fax_Number},
        {Control::Text1, info.Torvex_Name},
        {Control::txtVXAddress, info.Torvex_Addr},
        {Control::Text13, info.Password},
        {Control::Text14, info.Password},
        {Control::Text16, info.gTorvexProfile},
        {Control::Text6, info.Normal_EMail_Addr},
        {Control::Text7, info.gUserSMTPServer},
        {Control::Text20, info.gSMTPServer2},
        {Control::Text29, info.POP3_Port},
        {Control::Text30, info.User_SMTP_Port},
        {Control::Text31, info.User_SMTP_User},
        {Control::Text32, info.User_SMTP_Password},
        {Control::Text33, info.SMTP_Port},
        {Control::Text34, info.Trusted_Certificate_File},
        {Control::Text9, info.Cycle_Minutes},
        {Control::Text10, info.Start_Time},
        {Control::Text11, info.Stop_Time},
        {Control::Text15, info.Regular_Mail_Profile},
        {Control::Text12, info.Normal_Fax_Profile},
        {Control::Text22, info.GSTN_Fax_Minutes},
    };
    for (const auto& [field, text] : fields)
        view_.setText(field, text);
    showSecurity(view_, Control::Combo3, info.POP3_Security);
    showSecurity(view_, Control::Combo4, info.User_SMTP_Security);
    showSecurity(view_, Control::Combo5, info.SMTP_Security);
    state_.countdown = toInt(info.Cycle_Minutes);

    for (int r = 1; r <= 3; ++r) {
        const ForwardingRow& row = kForwardingRows[std::size_t(r - 1)];
        const QString kind = info.forward1.value(r);
        if (kind.isEmpty())
            continue;
        tick(row.box, true);
        const bool address = toInt(kind) == 1;
        view_.setText(address ? row.addressField : row.faxField, info.forward2.value(r));
        view_.setChecked(address ? row.addressOption : row.faxOption, true);
    }

    const std::pair<Control, bool> boxes[] = {
        {Control::Check1, info.Firewall},
        {Control::Check14, info.Auto_Dis_Connect},
        {Control::Check4, info.Quillet},
        {Control::Check5, info.Get_Normal_EMail},
        {Control::Check6, info.Print_Full_Header},
        {Control::Check8, info.Print_Normal_Fax},
        {Control::Check9, info.Confirm_Receipt},
        {Control::Check13, info.Save_Pass == QLatin1String("1")},
        {Control::Check10, info.Print_Error_Info},
        {Control::Check11, info.Print_Simple_Header},
        // Apply writes the box back on every retrieval: shown as saved, or
        // the user's choice would be lost at the first scheduled run.
        {Control::Check7, readTorvexKey(QStringLiteral("Print_Page_Hdr")).trimmed() == QLatin1String("y")},
        {Control::Check3, info.Activate_Scheduler},
        {Control::Check20, info.VX_Use_HTTPS},
    };
    for (const auto& [box, on] : boxes)
        tick(box, on);

    if (info.Activate_Scheduler) {
        for (const Control field :
             {Control::Text9, Control::Text10, Control::Text11, Control::Text15, Control::Check5})
            view_.setEnabled(field, true);
        view_.setText(Control::Text19, schedule_.GetNextMinutes());
    }
    schedule_.ResetStatusBar();
}

void SchedulerCore::splitTorvexAddress()
{
    const QString address = view_.text(Control::txtVXAddress);
    const qsizetype at = address.indexOf(QLatin1Char('@'));
    if (at < 0)
        return;
    const QString user = address.left(at);
    state_.gDomain = address.mid(at + 1);
    const QString& domain = state_.info.gVXDomainName;
    if (state_.gDomain.compare(domain, Qt::CaseInsensitive) != 0) {
        account_.profile.ShowUserProfile(false);
        return;
    }
    state_.gLogin = user;
    view_.setText(Control::Label31, QLatin1Char(' ') + user + QLatin1Char('@') + domain + QLatin1Char(' '));
    if (!state_.info.gACDateStamp.isEmpty()) {
        view_.setText(Control::Command6, QStringLiteral("Update Account"));
        view_.setEnabled(Control::Command4, true);
        view_.setEnabled(Control::Command5, true);
        view_.setEnabled(Control::txtFirstName, false);
        view_.setEnabled(Control::txtLastName, false);
    }
}

void SchedulerCore::loadDialUpAndNetwork()
{
    if (!dialUp_.installed()) {
        view_.setText(Control::Text18,
                      QStringLiteral("To use this option please install Windows 95/98 Dial-up software."));
        view_.setChecked(Control::Option1, false);
        // A saved modem choice cannot hold without dial-up: the network card
        // connects, or the choice would be ticked again below and every
        // retrieval would wait for a link that cannot come.
        state_.info.Modem_Connect = false;
    } else {
        for (const QString& entry : dialUp_.phoneBookEntries()) {
            view_.addEntry(Control::Combo1, entry);
            if (entry == state_.info.DUN_Name)
                view_.setCurrentIndex(Control::Combo1, int(view_.entries(Control::Combo1).size()) - 1);
        }
    }

    QString nicAddress;
    if (dialUp_.connected()) {
        view_.setChecked(Control::Check12, true);
        view_.setText(Control::Text18, dialUp_.statusText());
        const QString local = account_.lookUpLocalIPAddress();
        state_.gLocalIPAddr = local;
        view_.setText(Control::Text8, local);
        const QString& status = state_.info.gMemberStatus;
        if (!local.isEmpty() && local != state_.info.gNICIPAddress
            && (status == QLatin1String("4") || status == QLatin1String("5")))
            state_.gflgSendIPAddressUpdate = true;
        nicAddress = state_.info.gNICIPAddress;
    } else {
        view_.setChecked(Control::Check12, false);
        nicAddress = account_.lookUpLocalIPAddress();
        state_.gLocalIPAddr = nicAddress;
    }
    view_.setText(Control::Text21, nicAddress);
}

}  // namespace torvex
