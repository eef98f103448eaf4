#include "scheduler/settings/settings_apply.h"

#include "common/char_tests.h"
#include "common/mail_security.h"
#include "platform/desktop/message_box.h"
#include "scheduler/account/account_service.h"
#include "scheduler/connection/connection_choice.h"
#include "scheduler/core/program_title.h"
#include "scheduler/core/scheduler_state.h"
#include "scheduler/settings/forwarding_rows.h"
#include "scheduler/settings/profile_session.h"
#include "scheduler/settings/security_fields.h"

#include <QFileInfo>

namespace torvex {

bool SettingsApply::Command1_Click()
{
    const BusyScope hourglass(view_);
    TelvaneInfo& info = state_.info;
    state_.settingsApplied = false;

    if (state_.gDomain.compare(info.gVXDomainName, Qt::CaseInsensitive) == 0)
        account_.profile.ShowUserProfile(IsAllDigits(state_.gLogin));
    else
        account_.profile.ShowUserProfile(false);

    info.Country_Code = view_.text(Control::Text2);
    info.Torvex_Name = view_.text(Control::Text1);
    state_.gRegularFaxInterval = view_.text(Control::Text22).trimmed().toInt();
    info.Start_Time = view_.text(Control::Text10);
    info.Stop_Time = view_.text(Control::Text11);

    if (IsConnection(view_, boxes_, state_)) {
        view_.setEnabled(Control::Command1, false);
        state_.settingsApplied = runChecks();
    }
    view_.setEnabled(Control::Command1, true);
    return state_.settingsApplied;
}

bool SettingsApply::applyBeforeRun(Control button)
{
    if (!IsConnection(view_, boxes_, state_))
        return false;
    view_.setEnabled(button, false);
    if (Command1_Click())
        return true;
    view_.setEnabled(button, true);
    return false;
}

bool SettingsApply::runChecks()
{
    TelvaneInfo& info = state_.info;
    const auto missing = [this](Control field) { return view_.text(field).isEmpty(); };

    if (missing(Control::txtVXAddress)) {
        Q_EMIT fieldRejected(1, Control::txtVXAddress, QStringLiteral("Missing Torvex Address!"));
        return false;
    }
    info.Torvex_Addr = view_.text(Control::txtVXAddress);

    if (!checkProfile())
        return false;

    if (view_.isChecked(Control::Check13)) {
        if (missing(Control::Text13) || missing(Control::Text14)) {
            Q_EMIT fieldRejected(1, Control::Text13, QStringLiteral("Missing Password!"));
            return false;
        }
        writeTorvexKey(QStringLiteral("Password"), info.Password);
    }

    if (missing(Control::Text6)) {
        Q_EMIT fieldRejected(2, Control::Text6, QStringLiteral("Missing Regular EMail Address!"));
        return false;
    }
    info.Normal_EMail_Addr = view_.text(Control::Text6);
    if (missing(Control::Text7)) {
        Q_EMIT fieldRejected(2, Control::Text7, QStringLiteral("Missing SMTP Server!"));
        return false;
    }
    info.gUserSMTPServer = view_.text(Control::Text7);
    if (!checkSecureConnections())
        return false;

    if (!checkPrinter())
        return false;

    if (view_.isChecked(Control::Option1) && missing(Control::Combo1)) {
        Q_EMIT fieldRejected(3, Control::Combo1, QStringLiteral("Please provide a Dial-Up Connection Name"));
        return false;
    }
    info.DUN_Name = view_.text(Control::Combo1);

    const QString cycle = view_.text(Control::Text9);
    if (view_.isChecked(Control::Check3) && (cycle.isEmpty() || cycle == QLatin1String("0"))) {
        Q_EMIT fieldRejected(4, Control::Text9, QStringLiteral("Missing Period"));
        return false;
    }
    info.Cycle_Minutes = cycle;

    if (view_.isChecked(Control::Check5) && missing(Control::Text15)) {
        Q_EMIT fieldRejected(4, Control::Text15, QStringLiteral("Please provide a profile name"));
        return false;
    }
    info.Regular_Mail_Profile = view_.text(Control::Text15);

    if (view_.isChecked(Control::Check8) && missing(Control::Text12)) {
        Q_EMIT fieldRejected(5, Control::Text12,
                             QStringLiteral("Please provide a profile name for your normal faxes"));
        return false;
    }
    info.Normal_Fax_Profile = view_.text(Control::Text12);

    AppliedSettings applied;
    if (!buildForwarding(applied))
        return false;
    copyControlsInto(applied);
    WriteTelvaneInfo(applied, [this] { account_.reporting.SavePublicIPAddress(); });
    return true;
}

bool SettingsApply::checkProfile()
{
    const bool choose = view_.text(Control::Text16).trimmed().isEmpty();
    if (choose && state_.unattended) {
        // The chooser would wait for someone to pick a profile.
        Q_EMIT fieldRejected(1, Control::Text16, QStringLiteral("Could not find MS Exchange profile!"));
        return false;
    }
    if (view_.text(Control::Text16).isEmpty())
        view_.setText(Control::Text16, ChooseProfile(boxes_, chooser_));
    const QString profile = view_.text(Control::Text16);
    if (profile.isEmpty())
        return false;
    const std::optional<QString> name = ProfileLogon(profile, chooser_);
    if (!name) {
        Q_EMIT fieldRejected(1, Control::Text16,
                             QStringLiteral("Could not find MS Exchange profile!") + profile.toUpper());
        return false;
    }
    view_.setText(Control::Text16, *name);
    state_.info.gTorvexProfile = *name;
    return true;
}

bool SettingsApply::checkSecureConnections()
{
    for (const Control port : {Control::Text29, Control::Text30, Control::Text33}) {
        const QString text = view_.text(port);
        if (!text.isEmpty() && portSetting(text) == 0) {
            Q_EMIT fieldRejected(2, port, QStringLiteral("Invalid Entry, must be between 1 and 65535"));
            return false;
        }
    }
    if (!view_.text(Control::Text31).trimmed().isEmpty() && view_.text(Control::Text32).isEmpty()) {
        Q_EMIT fieldRejected(2, Control::Text32, QStringLiteral("Missing SMTP Password!"));
        return false;
    }
    const QString certificate = view_.text(Control::Text34);
    if (!certificate.isEmpty() && !QFileInfo(certificate).isReadable()) {
        Q_EMIT fieldRejected(2, Control::Text34, QStringLiteral("Certificate file not found!"));
        return false;
    }
    return true;
}

bool SettingsApply::checkPrinter()
{
    const QString retrievedUnprinted = QStringLiteral(
        "TORVEXes will be retrieved but will not be printed until you specify a printer.");
    if (view_.text(Control::Combo2).isEmpty() && !state_.printerQuestionAnswered) {
        if (state_.unattended) {
            // Nobody to answer: retrieve without printing this time, and
            // leave the question to the user's own Apply.
            boxes_.show(retrievedUnprinted, programTitle(), MsgButtons::Ok, MsgIcon::None);
        } else {
            boxes_.beep();
            const MsgAnswer answer = boxes_.show(
                QStringLiteral("To automatically print TORVEXes you need to specify a printer.\r\n"
                               "Would you like to do it now?"),
                programTitle(), MsgButtons::YesNo, MsgIcon::Question);
            if (answer == MsgAnswer::Yes) {
                if (view_.currentTab() != 5)
                    view_.switchFrame(5);
                view_.focus(Control::Combo2);
                return false;
            }
            state_.printerQuestionAnswered = true;
            boxes_.show(retrievedUnprinted, programTitle(), MsgButtons::Ok, MsgIcon::None);
        }
    }
    state_.info.gprinterName = view_.text(Control::Combo2);
    return true;
}

bool SettingsApply::buildForwarding(AppliedSettings& applied)
{
    for (const ForwardingRow& row : kForwardingRows) {
        QString kind;
        QString destination;
        // A row the member status does not offer forwards nothing.
        if (view_.isChecked(row.box) && view_.isEnabled(row.box)) {
            if (view_.isChecked(row.addressOption) && !view_.text(row.addressField).isEmpty()) {
                kind = QStringLiteral("1");
                destination = view_.text(row.addressField);
            } else if (view_.isChecked(row.faxOption) && !view_.text(row.faxField).isEmpty()) {
                kind = QStringLiteral("2");
                destination = view_.text(row.faxField);
            } else {
                Q_EMIT fieldRejected(8, row.addressField,
                                     QStringLiteral("Missing Destination for ")
                                         + QString::fromLatin1(row.name)
                                         + QStringLiteral(" forwarding"));
                return false;
            }
        }
        applied.forward1 += kind + QLatin1Char(',');
        applied.forward2 += destination + QLatin1Char(',');
    }
    return true;
}

// The values no check stores: what the window shows is what is written.
void SettingsApply::copyControlsInto(AppliedSettings& applied)
{
    applied.info = state_.info;
    TelvaneInfo& r = applied.info;
    r.GSTN_Fax_Minutes = view_.text(Control::Text22);
    r.gSMTPServer2 = view_.text(Control::Text20);
    r.POP3_Security = securityShown(view_, Control::Combo3);
    r.POP3_Port = view_.text(Control::Text29);
    r.User_SMTP_Security = securityShown(view_, Control::Combo4);
    r.User_SMTP_Port = view_.text(Control::Text30);
    r.User_SMTP_User = view_.text(Control::Text31).trimmed();
    r.User_SMTP_Password = view_.text(Control::Text32);
    r.SMTP_Security = securityShown(view_, Control::Combo5);
    r.SMTP_Port = view_.text(Control::Text33);
    r.Trusted_Certificate_File = view_.text(Control::Text34);
    r.VX_Use_HTTPS = view_.isChecked(Control::Check20);
    r.Print_Full_Header = view_.isChecked(Control::Check6);
    r.Print_Error_Info = view_.isChecked(Control::Check10);
    r.Print_Simple_Header = view_.isChecked(Control::Check11);
    r.Activate_Scheduler = view_.isChecked(Control::Check3);
    r.Modem_Connect = view_.isChecked(Control::Option1);
    r.Get_Normal_EMail = view_.isChecked(Control::Check5);
    r.Firewall = view_.isChecked(Control::Check1);
    r.Auto_Dis_Connect = view_.isChecked(Control::Check14);
    r.Quillet = view_.isChecked(Control::Check4);
    r.Print_Normal_Fax = view_.isChecked(Control::Check8);
    r.Confirm_Receipt = view_.isChecked(Control::Check9);
    applied.Print_Page_Hdr = view_.isChecked(Control::Check7);
}

void SettingsApply::Command2_Click()
{
    const bool save = view_.isChecked(Control::Check13);
    if (!save) {
        state_.info.Password.clear();
        // The SMTP log-on's password is kept like the account's.
        state_.info.User_SMTP_Password.clear();
        writeTorvexKey(QStringLiteral("User_SMTP_Password"), QString());
    }
    writeTorvexKey(QStringLiteral("Password"), state_.info.Password);
    writeTorvexKey(QStringLiteral("Save_Pass"), save ? QStringLiteral("1") : QStringLiteral("0"));
    endProgram_();
}

}  // namespace torvex
