// The loading steps of the scheduler's window, in their fixed order.
#include "main_form.h"

#include "common/file_exists.h"
#include "connection_choice.h"
#include "page_handlers.h"
#include "platform/settings/app_paths.h"
#include "platform/desktop/message_box.h"
#include "print_launcher.h"
#include "schedule_engine.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedLayout>
#include <QTabBar>

namespace torvex {
namespace {

void clearOption(QRadioButton* option)
{
    QButtonGroup* group = option->group();
    if (group)
        group->setExclusive(false);
    option->setChecked(false);
    if (group)
        group->setExclusive(true);
}

qint32 toInt(const QString& text)
{
    return text.trimmed().toInt();
}

}  // namespace

bool MainForm::Form_Load()
{
    // 1-3: captions, first page, status bar.
    setWindowTitle(title());
    c_.Label45->setText(title() + QLatin1Char(' '));
    c_.Label48->setText(QStringLiteral(" 0.8.2"));
    state_.currentPage = 0;
    {
        const QSignalBlocker quiet(c_.TabStrip1);
        c_.TabStrip1->setCurrentIndex(0);
    }
    c_.pageStack->setCurrentIndex(0);

    // 4: settings.
    state_.flgLoading = true;
    state_.info = GetTelvaneInfo();
    TelvaneInfo& info = state_.info;

    // 5: program folder and the account file, which must exist.
    state_.gAppPath = programFolder();
    state_.gAccountFilePath = state_.gAppPath + QStringLiteral("/account.ini");
    qint32 error = 0;
    if (!FileExists(state_.gAccountFilePath, error)) {
        boxes().beep();
        boxes().show(QStringLiteral("Error ") + QString::number(error)
                         + QStringLiteral("\r\nMissing account file, cannot start ") + title(),
                     title(), MsgButtons::Ok, MsgIcon::None);
        return false;
    }

    // 6: print utility, temporary folder, account file contents.
    state_.gShellPath = printUtilityPath(state_.gAppPath, info.print_exe);
    state_.gTempPath = state_.gAppPath + QStringLiteral("/temp/");
    account_->LoadAccountInfo();

    // 7: regular-fax interval, password fields.
    if (info.GSTN_Fax_Minutes.isEmpty())
        info.GSTN_Fax_Minutes = QStringLiteral("0");
    state_.gRegularFaxInterval = toInt(info.GSTN_Fax_Minutes);
    handlers_->showPasswordEntries(true);

    // 8: printers.
    loadPrinters();

    // 9: a fixed profile cannot be changed here.
    if (info.Use_Profile) {
        c_.Text16->setEnabled(false);
        c_.Label32->show();
        c_.Label53->show();
    }

    // 10-11: first run or normal run.
    if (info.gflgUseDefaults)
        loadFirstRun();
    else
        loadNormalRun();
    // What the member status allows, from the start: without an account
    // (status empty or "-") forwarding and relay are off, as for a base member.
    account_->ResetGroupFunctions();

    // 12: captions.
    setWindowTitle(title());
    c_.Check5->setText(QStringLiteral("You can use this schedule to retrieve your normal messages "
                                      "with MS Exchange.\n1) Check the box\n2) Enter below the MS "
                                      "Exchange profile name\n3) Set its schedule to 'Work "
                                      "off-line'"));

    // 13: the TORVEX address.
    splitTorvexAddress();

    // 14: telephone line.
    lineMonitor_->ClearHandles();
    lineMonitor_->TapiStart();
    lineMonitor_->TapiGetDevCaps();
    c_.txtStatus->clear();
    if (c_.lstLines->count() > 0)
        c_.lstLines->setCurrentRow(0);
    lineMonitor_->LineMonitor(0);

    // 15-16: dial-up entries, connection state, local addresses.
    loadDialUpAndNetwork();

    // 17-18: connection options.
    const QString prefix = QStringLiteral("I connect to the mail server using ");
    c_.Option1->setText(prefix + c_.Option1->text());
    c_.Option2->setText(prefix + c_.Option2->text());
    resetConnectInfo(*this, info.Modem_Connect);
    schedule_->ResetStatusBar();
    state_.flgLoading = false;
    return true;
}

void MainForm::loadPrinters()
{
    const QString chosen = state_.info.gprinterName;
    for (const QString& name : env_.printerNames()) {
        if (name.contains(QLatin1String("Fax"), Qt::CaseInsensitive)
            || name.contains(QLatin1String("Rendering"), Qt::CaseInsensitive))
            continue;
        c_.Combo2->addItem(name);
    }
    // The list would show its first entry; only the saved printer is chosen,
    // so that Apply can ask for one when none is.
    c_.Combo2->setCurrentIndex(c_.Combo2->findText(chosen, Qt::MatchExactly));
}

void MainForm::loadFirstRun()
{
    writeTorvexKey(QStringLiteral("Use_Defaults"), QStringLiteral("-"));
    state_.info.gWakeProbes = 3;
    state_.info.gWakeInterval = 40000;
    c_.Check11->setChecked(true);
    c_.Text12->setText(state_.gdfltProfile);
    c_.Text15->setText(state_.gdfltProfile);

    const MsgAnswer answer =
        boxes().show(QStringLiteral("Would you like to view the SetUp Help Page now ?"), title(),
                     MsgButtons::YesNo, MsgIcon::Question);
    if (answer == MsgAnswer::Yes) {
        const QString helpPage = state_.gAppPath + QStringLiteral("/vxphlpbs.htm");
        const QString readme = state_.gAppPath + QStringLiteral("/readme.txt");
        if (!env_.shell->open(helpPage) && !env_.shell->open(readme)) {
            boxes().beep();
            boxes().show(QStringLiteral("Please install Wordpad and open '") + readme
                             + QStringLiteral("' or a Web Browser and open '") + helpPage
                             + QStringLiteral("'"),
                         title(), MsgButtons::Ok, MsgIcon::None);
        }
    }
    c_.Text2->setFocus(Qt::OtherFocusReason);
}

void MainForm::loadNormalRun()
{
    TelvaneInfo& info = state_.info;
    startScheduleTick();

    if (info.Cycle_Minutes.isEmpty())
        info.Cycle_Minutes = QStringLiteral("0");
    c_.Text2->setText(info.Country_Code);
    c_.Text3->setText(info.Area_Code);
    c_.Text4->setText(info.Fax_Number);
    c_.Text1->setText(info.Torvex_Name);
    c_.txtVXAddress->setText(info.Torvex_Addr);
    c_.Text13->setText(info.Password);
    c_.Text14->setText(info.Password);
    c_.Text16->setText(info.gTorvexProfile);
    c_.Text6->setText(info.Normal_EMail_Addr);
    c_.Text7->setText(info.gUserSMTPServer);
    c_.Text20->setText(info.gSMTPServer2);
    showSecurity(c_.Combo3, info.POP3_Security);
    c_.Text29->setText(info.POP3_Port);
    showSecurity(c_.Combo4, info.User_SMTP_Security);
    c_.Text30->setText(info.User_SMTP_Port);
    c_.Text31->setText(info.User_SMTP_User);
    c_.Text32->setText(info.User_SMTP_Password);
    showSecurity(c_.Combo5, info.SMTP_Security);
    c_.Text33->setText(info.SMTP_Port);
    c_.Text34->setText(info.Trusted_Certificate_File);
    c_.Check20->setChecked(info.VX_Use_HTTPS);
    c_.Text9->setText(info.Cycle_Minutes);
    c_.Text10->setText(info.Start_Time);
    c_.Text11->setText(info.Stop_Time);
    c_.Text15->setText(info.Regular_Mail_Profile);
    c_.Text12->setText(info.Normal_Fax_Profile);
    c_.Text22->setText(info.GSTN_Fax_Minutes);
    state_.gCycleMinutes = toInt(info.Cycle_Minutes);
    state_.countdown = state_.gCycleMinutes;

    const std::array<ForwardingRow, 3> rows = forwardingRows(c_);
    for (int r = 1; r <= 3; ++r) {
        const ForwardingRow& row = rows[r - 1];
        const QString kind = info.forward1.value(r);
        if (kind.isEmpty())
            continue;
        row.box->setChecked(true);
        if (toInt(kind) == 1) {
            row.addressField->setText(info.forward2.value(r));
            row.addressOption->setChecked(true);
        } else {
            row.faxField->setText(info.forward2.value(r));
            row.faxOption->setChecked(true);
        }
    }

    c_.Check1->setChecked(info.Firewall);
    c_.Check14->setChecked(info.Auto_Dis_Connect);
    c_.Check4->setChecked(info.Quillet);
    c_.Check5->setChecked(info.Get_Normal_EMail);
    c_.Check6->setChecked(info.Print_Full_Header);
    c_.Check8->setChecked(info.Print_Normal_Fax);
    c_.Check9->setChecked(info.Confirm_Receipt);
    c_.Check13->setChecked(info.Save_Pass == QLatin1String("1"));
    c_.Check10->setChecked(info.Print_Error_Info);
    c_.Check11->setChecked(info.Print_Simple_Header);
    // Apply writes the box back on every retrieval: shown as saved, or the
    // user's choice would be lost at the first scheduled run.
    c_.Check7->setChecked(readTorvexKey(QStringLiteral("Print_Page_Hdr")).trimmed() == QLatin1String("y"));
    c_.Check3->setChecked(info.Activate_Scheduler);

    if (info.Activate_Scheduler) {
        for (QWidget* w : {static_cast<QWidget*>(c_.Text9), static_cast<QWidget*>(c_.Text10),
                           static_cast<QWidget*>(c_.Text11), static_cast<QWidget*>(c_.Text15),
                           static_cast<QWidget*>(c_.Check5)})
            w->setEnabled(true);
        c_.Text19->setText(schedule_->GetNextMinutes());
    }
    schedule_->ResetStatusBar();
}

void MainForm::splitTorvexAddress()
{
    const QString address = c_.txtVXAddress->text();
    const qsizetype at = address.indexOf(QLatin1Char('@'));
    if (at < 0)
        return;
    const QString user = address.left(at);
    state_.gDomain = address.mid(at + 1);
    const QString& domain = state_.info.gVXDomainName;
    if (state_.gDomain.compare(domain, Qt::CaseInsensitive) != 0) {
        account_->ShowUserProfile(false);
        return;
    }
    state_.gLogin = user;
    c_.Label31->setText(QLatin1Char(' ') + user + QLatin1Char('@') + domain + QLatin1Char(' '));
    if (!state_.info.gACDateStamp.isEmpty()) {
        c_.Command6->setText(QStringLiteral("Update Account"));
        c_.Command4->setEnabled(true);
        c_.Command5->setEnabled(true);
        c_.txtFirstName->setEnabled(false);
        c_.txtLastName->setEnabled(false);
    }
}

void MainForm::loadDialUpAndNetwork()
{
    if (!dialUp_->installed()) {
        c_.Text18->setText(
            QStringLiteral("To use this option please install Windows 95/98 Dial-up software."));
        clearOption(c_.Option1);
    } else {
        for (const QString& entry : dialUp_->phoneBookEntries()) {
            c_.Combo1->addItem(entry);
            if (entry == state_.info.DUN_Name)
                c_.Combo1->setCurrentIndex(c_.Combo1->count() - 1);
        }
    }

    QString nicAddress;
    if (dialUp_->connected()) {
        c_.Check12->setChecked(true);
        c_.Text18->setText(dialUp_->statusText());
        const QString local = account_->lookUpLocalIPAddress();
        state_.gLocalIPAddr = local;
        c_.Text8->setText(local);
        const QString& status = state_.info.gMemberStatus;
        if (!local.isEmpty() && local != state_.info.gNICIPAddress
            && (status == QLatin1String("4") || status == QLatin1String("5")))
            state_.gflgSendIPAddressUpdate = true;
        nicAddress = state_.info.gNICIPAddress;
    } else {
        c_.Check12->setChecked(false);
        nicAddress = account_->lookUpLocalIPAddress();
        state_.gLocalIPAddr = nicAddress;
    }
    c_.Text21->setText(nicAddress);
}

}  // namespace torvex
