#include "settings_apply.h"

#include "common/char_tests.h"
#include "common/mail_security.h"
#include "connection_choice.h"
#include "main_form.h"
#include "platform/desktop/message_box.h"
#include "profile_session.h"
#include "wait_cursor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace torvex {

void SettingsApply::Command1_Click()
{
    const WaitCursor hourglass;
    FormControls& c = form_.controls();
    SchedulerState& s = form_.state();
    s.settingsApplied = false;

    if (s.gDomain.compare(s.info.gVXDomainName, Qt::CaseInsensitive) == 0)
        form_.account().ShowUserProfile(IsAllDigits(s.gLogin));
    else
        form_.account().ShowUserProfile(false);

    s.info.Country_Code = c.Text2->text();
    s.info.Torvex_Name = c.Text1->text();
    s.gRegularFaxInterval = c.Text22->text().trimmed().toInt();
    s.info.Start_Time = c.Text10->text();
    s.info.Stop_Time = c.Text11->text();

    if (IsConnection(form_)) {
        c.Command1->setEnabled(false);
        s.settingsApplied = runChecks();
    }
    c.Command1->setEnabled(true);
}

bool SettingsApply::runChecks()
{
    FormControls& c = form_.controls();
    SchedulerState& s = form_.state();

    if (c.txtVXAddress->text().isEmpty()) {
        form_.reportField(QStringLiteral("Missing Torvex Address!"), 1, c.txtVXAddress);
        return false;
    }
    s.info.Torvex_Addr = c.txtVXAddress->text();

    if (!checkProfile())
        return false;

    if (c.Check13->isChecked()) {
        if (c.Text13->text().isEmpty() || c.Text14->text().isEmpty()) {
            form_.reportField(QStringLiteral("Missing Password!"), 1, c.Text13);
            return false;
        }
        writeTorvexKey(QStringLiteral("Password"), s.info.Password);
    }

    if (c.Text6->text().isEmpty()) {
        form_.reportField(QStringLiteral("Missing Regular EMail Address!"), 2, c.Text6);
        return false;
    }
    s.info.Normal_EMail_Addr = c.Text6->text();
    if (c.Text7->text().isEmpty()) {
        form_.reportField(QStringLiteral("Missing SMTP Server!"), 2, c.Text7);
        return false;
    }
    s.info.gUserSMTPServer = c.Text7->text();
    if (!checkSecureConnections())
        return false;

    if (!checkPrinter())
        return false;

    if (c.Option1->isChecked() && c.Combo1->currentText().isEmpty()) {
        form_.reportField(QStringLiteral("Please provide a Dial-Up Connection Name"), 3, c.Combo1);
        return false;
    }
    s.info.DUN_Name = c.Combo1->currentText();

    const QString cycle = c.Text9->text();
    if (c.Check3->isChecked() && (cycle.isEmpty() || cycle == QLatin1String("0"))) {
        form_.reportField(QStringLiteral("Missing Period"), 4, c.Text9);
        return false;
    }
    s.info.Cycle_Minutes = cycle;

    if (c.Check5->isChecked() && c.Text15->text().isEmpty()) {
        form_.reportField(QStringLiteral("Please provide a profile name"), 4, c.Text15);
        return false;
    }
    s.info.Regular_Mail_Profile = c.Text15->text();

    if (c.Check8->isChecked() && c.Text12->text().isEmpty()) {
        form_.reportField(QStringLiteral("Please provide a profile name for your normal faxes"), 5,
                          c.Text12);
        return false;
    }
    s.info.Normal_Fax_Profile = c.Text12->text();

    AppliedSettings applied;
    if (!buildForwarding(applied))
        return false;
    copyControlsInto(applied);
    WriteTelvaneInfo(applied, [this] { form_.account().SavePublicIPAddress(); });
    return true;
}

bool SettingsApply::checkProfile()
{
    FormControls& c = form_.controls();
    FormEnvironment& env = form_.environment();
    const bool choose = c.Text16->text().trimmed().isEmpty();
    if (choose && form_.state().unattended) {
        // The chooser would wait for someone to pick a profile.
        form_.reportField(QStringLiteral("Could not find MS Exchange profile!"), 1, c.Text16);
        return false;
    }
    if (c.Text16->text().isEmpty())
        c.Text16->setText(ChooseProfile(form_.boxes(), MainForm::title(), *env.profileChooser,
                                        &form_));
    if (c.Text16->text().isEmpty())
        return false;
    const std::optional<QString> name = ProfileLogon(c.Text16->text(), *env.profileChooser, &form_);
    if (!name) {
        form_.reportField(QStringLiteral("Could not find MS Exchange profile!")
                              + c.Text16->text().toUpper(),
                          1, c.Text16);
        return false;
    }
    c.Text16->setText(*name);
    form_.state().info.gTorvexProfile = *name;
    return true;
}

bool SettingsApply::checkSecureConnections()
{
    const FormControls& c = form_.controls();
    for (QLineEdit* port : {c.Text29, c.Text30, c.Text33}) {
        if (!port->text().isEmpty() && portSetting(port->text()) == 0) {
            form_.reportField(QStringLiteral("Invalid Entry, must be between 1 and 65535"), 2, port);
            return false;
        }
    }
    if (!c.Text31->text().trimmed().isEmpty() && c.Text32->text().isEmpty()) {
        form_.reportField(QStringLiteral("Missing SMTP Password!"), 2, c.Text32);
        return false;
    }
    if (!c.Text34->text().isEmpty() && !QFileInfo(c.Text34->text()).isReadable()) {
        form_.reportField(QStringLiteral("Certificate file not found!"), 2, c.Text34);
        return false;
    }
    return true;
}

bool SettingsApply::checkPrinter()
{
    FormControls& c = form_.controls();
    SchedulerState& s = form_.state();
    const QString retrievedUnprinted = QStringLiteral(
        "TORVEXes will be retrieved but will not be printed until you specify a printer.");
    if (c.Combo2->currentText().isEmpty() && !s.printerQuestionAnswered) {
        if (s.unattended) {
            // Nobody to answer: retrieve without printing this time, and
            // leave the question to the user's own Apply.
            form_.notice(retrievedUnprinted);
        } else {
            form_.boxes().beep();
            const MsgAnswer answer = form_.boxes().show(
                QStringLiteral("To automatically print TORVEXes you need to specify a printer.\r\n"
                               "Would you like to do it now?"),
                MainForm::title(), MsgButtons::YesNo, MsgIcon::Question);
            if (answer == MsgAnswer::Yes) {
                form_.focusField(5, c.Combo2);
                return false;
            }
            s.printerQuestionAnswered = true;
            form_.boxes().show(retrievedUnprinted, MainForm::title(), MsgButtons::Ok, MsgIcon::None);
        }
    }
    s.info.gprinterName = c.Combo2->currentText();
    return true;
}

bool SettingsApply::buildForwarding(AppliedSettings& applied)
{
    for (const ForwardingRow& row : forwardingRows(form_.controls())) {
        QString kind;
        QString destination;
        // A row the member status does not offer forwards nothing.
        if (row.box->isChecked() && row.box->isEnabled()) {
            if (row.addressOption->isChecked() && !row.addressField->text().isEmpty()) {
                kind = QStringLiteral("1");
                destination = row.addressField->text();
            } else if (row.faxOption->isChecked() && !row.faxField->text().isEmpty()) {
                kind = QStringLiteral("2");
                destination = row.faxField->text();
            } else {
                form_.reportField(QStringLiteral("Missing Destination for ")
                                      + QString::fromLatin1(row.name)
                                      + QStringLiteral(" forwarding"),
                                  8, row.addressField);
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
    const FormControls& c = form_.controls();
    applied.info = form_.state().info;
    TelvaneInfo& r = applied.info;
    r.GSTN_Fax_Minutes = c.Text22->text();
    r.gSMTPServer2 = c.Text20->text();
    r.POP3_Security = securityShown(c.Combo3);
    r.POP3_Port = c.Text29->text();
    r.User_SMTP_Security = securityShown(c.Combo4);
    r.User_SMTP_Port = c.Text30->text();
    r.User_SMTP_User = c.Text31->text().trimmed();
    r.User_SMTP_Password = c.Text32->text();
    r.SMTP_Security = securityShown(c.Combo5);
    r.SMTP_Port = c.Text33->text();
    r.Trusted_Certificate_File = c.Text34->text();
    r.VX_Use_HTTPS = c.Check20->isChecked();
    r.Print_Full_Header = c.Check6->isChecked();
    r.Print_Error_Info = c.Check10->isChecked();
    r.Print_Simple_Header = c.Check11->isChecked();
    r.Activate_Scheduler = c.Check3->isChecked();
    r.Modem_Connect = c.Option1->isChecked();
    r.Get_Normal_EMail = c.Check5->isChecked();
    r.Firewall = c.Check1->isChecked();
    r.Auto_Dis_Connect = c.Check14->isChecked();
    r.Quillet = c.Check4->isChecked();
    r.Print_Normal_Fax = c.Check8->isChecked();
    r.Confirm_Receipt = c.Check9->isChecked();
    applied.Print_Page_Hdr = c.Check7->isChecked();
}

void SettingsApply::Command2_Click()
{
    SchedulerState& s = form_.state();
    const bool save = form_.controls().Check13->isChecked();
    if (!save) {
        s.info.Password.clear();
        // The SMTP log-on's password is kept like the account's.
        s.info.User_SMTP_Password.clear();
        writeTorvexKey(QStringLiteral("User_SMTP_Password"), QString());
    }
    writeTorvexKey(QStringLiteral("Password"), s.info.Password);
    writeTorvexKey(QStringLiteral("Save_Pass"), save ? QStringLiteral("1") : QStringLiteral("0"));
    // Leave no modem line held open behind us.
    form_.lineMonitor().LineMonitor(2);
    form_.environment().endProgram();
}

}  // namespace torvex
