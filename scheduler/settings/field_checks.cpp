#include "scheduler/settings/field_checks.h"

#include "common/char_tests.h"
#include "common/mail_security.h"
#include "platform/desktop/message_box.h"
#include "scheduler/core/program_title.h"
#include "scheduler/core/scheduler_state.h"
#include "scheduler/schedule/schedule_engine.h"
#include "scheduler/settings/profile_session.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>

namespace torvex {
namespace {

QString firstUpper(const QString& text)
{
    return text.isEmpty() ? text : text.left(1).toUpper() + text.mid(1);
}

}  // namespace

void FieldChecks::changed(Control field)
{
    switch (field) {
    case Control::Text2: return checkChange(field, IsAllDigits, std::nullopt);
    case Control::Text3: return checkChange(field, IsAllDigits, std::nullopt);
    case Control::Text4: return checkChange(field, IsPhoneChars, std::nullopt);
    case Control::Text9:
    case Control::Text10:
    case Control::Text11: return checkChange(field, IsAllDigits, 4);
    case Control::Text29:
    case Control::Text30:
    case Control::Text33: return checkChange(field, IsAllDigits, 2);
    default: return;
    }
}

void FieldChecks::entered(Control field)
{
    switch (field) {
    case Control::txtStreet:
        view_.setApplyIsDefault(false);
        [[fallthrough]];
    case Control::txtArea:
    case Control::txtBankACOwner:
    case Control::txtCCode:
    case Control::txtCountry:
    case Control::txtJobTitle:
    case Control::txtNo:
    case Control::txtState:
    case Control::txtTown:
    case Control::txtZip:
        view_.setEnabled(Control::Command6, true);
        return;
    default: return;
    }
}

void FieldChecks::left(Control field)
{
    // A check that moves the focus does not fire another one.
    if (inHandler_)
        return;
    using Handler = void (FieldChecks::*)();
    static const QHash<Control, Handler> handlers{
        {Control::Text1, &FieldChecks::Text1_LostFocus},
        {Control::Text2, &FieldChecks::Text2_LostFocus},
        {Control::Text3, &FieldChecks::Text3_LostFocus},
        {Control::Text4, &FieldChecks::Text4_LostFocus},
        {Control::Text6, &FieldChecks::Text6_LostFocus},
        {Control::Text7, &FieldChecks::Text7_LostFocus},
        {Control::Text29, &FieldChecks::Text29_LostFocus},
        {Control::Text30, &FieldChecks::Text30_LostFocus},
        {Control::Text31, &FieldChecks::Text31_LostFocus},
        {Control::Text32, &FieldChecks::Text32_LostFocus},
        {Control::Text33, &FieldChecks::Text33_LostFocus},
        {Control::Text34, &FieldChecks::Text34_LostFocus},
        {Control::Text9, &FieldChecks::Text9_LostFocus},
        {Control::Text10, &FieldChecks::Text10_LostFocus},
        {Control::Text11, &FieldChecks::Text11_LostFocus},
        {Control::Text12, &FieldChecks::Text12_LostFocus},
        {Control::Text13, &FieldChecks::Text13_LostFocus},
        {Control::Text14, &FieldChecks::Text14_LostFocus},
        {Control::Text15, &FieldChecks::Text15_LostFocus},
        {Control::Text16, &FieldChecks::Text16_LostFocus},
        {Control::Text22, &FieldChecks::Text22_LostFocus},
        {Control::txtVXAddress, &FieldChecks::txtVXAddress_LostFocus},
        {Control::txtFirstName, &FieldChecks::txtFirstName_LostFocus},
        {Control::txtLastName, &FieldChecks::txtLastName_LostFocus},
        {Control::txtStreet, &FieldChecks::txtStreet_LostFocus},
    };
    const Handler handler = handlers.value(field);
    if (!handler)
        return;
    inHandler_ = true;
    (this->*handler)();
    inHandler_ = false;
}

void FieldChecks::alert(const QString& message)
{
    boxes_.beep();
    boxes_.show(message, programTitle(), MsgButtons::Ok, MsgIcon::None);
}

void FieldChecks::showField(int page, Control field)
{
    if (view_.currentTab() != page)
        view_.switchFrame(page);
    view_.focus(field);
}

void FieldChecks::checkChange(Control field, bool (*test)(const QString&), std::optional<int> page)
{
    if (test(view_.text(field)))
        return;
    // Undo the edit that broke the rule, wherever in the field it was made.
    alert(QStringLiteral("Must be numeric!"));
    view_.undoKeystroke(field);
    if (page)
        showField(*page, field);
    else
        view_.focus(field);
}

void FieldChecks::dropLeadingZeros(Control field)
{
    while (view_.text(field).startsWith(QLatin1Char('0'))) {
        view_.setText(field, view_.text(field).mid(1));
        QCoreApplication::processEvents();
    }
}

void FieldChecks::Text1_LostFocus()
{
    state_.info.Torvex_Name = view_.text(Control::Text1);
}

void FieldChecks::Text2_LostFocus()
{
    dropLeadingZeros(Control::Text2);
    // North American numbers: a three-digit area code. Other countries keep
    // the field's usual length.
    view_.setMaxLength(Control::Text3, view_.text(Control::Text2) == QLatin1String("1") ? 3 : 32767);
}

void FieldChecks::Text3_LostFocus()
{
    dropLeadingZeros(Control::Text3);
}

void FieldChecks::Text4_LostFocus()
{
    TelvaneInfo& info = state_.info;
    info.Fax_Number = NumbersOnly(view_.text(Control::Text4));
    const QString cc = NumbersOnly(view_.text(Control::Text2));
    if (cc.isEmpty()) {
        alert(QStringLiteral("Must enter the country code"));
        view_.focus(Control::Text2);
        return;
    }
    info.Area_Code = NumbersOnly(view_.text(Control::Text3));
    state_.gLogin = cc + info.Area_Code + info.Fax_Number;
    if (view_.text(Control::Text2) == QLatin1String("1") && state_.gLogin.size() != 11) {
        alert(QStringLiteral("Area Code must be 3 digits and Number must be 7 digits."));
        view_.focus(Control::Text2);
        return;
    }
    state_.gDomain = info.gVXDomainName;
    info.Torvex_Addr = state_.gLogin + QLatin1Char('@') + info.gVXDomainName;
    view_.setText(Control::txtVXAddress, info.Torvex_Addr);
    if (view_.text(Control::Command6).contains(QLatin1String("Set")))
        view_.setText(Control::Label31, QLatin1Char(' ') + info.Torvex_Addr + QLatin1Char(' '));

    const QString country = view_.text(Control::Text2);
    const QString area = view_.text(Control::Text3);
    const QString number = view_.text(Control::Text4);
    const QString plus = QStringLiteral("Torvex +");
    if (number.contains(QLatin1Char('-'))) {
        view_.setText(Control::Text1, plus + country + QLatin1Char('-') + area + QLatin1Char('-') + number);
    } else if (number.contains(QLatin1Char(' '))) {
        view_.setText(Control::Text1, plus + country + QLatin1Char(' ') + area + QLatin1Char(' ') + number);
    } else {
        info.Torvex_Name = plus + country + area + number;
        view_.setText(Control::Text1, info.Torvex_Name);
        showField(1, Control::Text16);
    }
}

void FieldChecks::Text6_LostFocus()
{
    state_.info.Normal_EMail_Addr = view_.text(Control::Text6);
}

void FieldChecks::Text7_LostFocus()
{
    state_.info.gUserSMTPServer = view_.text(Control::Text7);
}

void FieldChecks::portField_LostFocus(Control field, QString& setting)
{
    const QString text = view_.text(field);
    if (!text.isEmpty() && portSetting(text) == 0) {
        Q_EMIT fieldRejected(2, field, QStringLiteral("Invalid Entry, must be between 1 and 65535"));
        return;
    }
    setting = text;
}

void FieldChecks::Text29_LostFocus() { portField_LostFocus(Control::Text29, state_.info.POP3_Port); }
void FieldChecks::Text30_LostFocus() { portField_LostFocus(Control::Text30, state_.info.User_SMTP_Port); }
void FieldChecks::Text33_LostFocus() { portField_LostFocus(Control::Text33, state_.info.SMTP_Port); }

void FieldChecks::Text31_LostFocus()
{
    state_.info.User_SMTP_User = view_.text(Control::Text31).trimmed();
}

void FieldChecks::Text32_LostFocus()
{
    state_.info.User_SMTP_Password = view_.text(Control::Text32);
}

void FieldChecks::Text34_LostFocus()
{
    const QString file = view_.text(Control::Text34);
    if (!file.isEmpty() && !QFileInfo(file).isReadable()) {
        Q_EMIT fieldRejected(2, Control::Text34, QStringLiteral("Certificate file not found!"));
        return;
    }
    state_.info.Trusted_Certificate_File = file;
}

void FieldChecks::Text9_LostFocus()
{
    // The numeric value as typed; an empty or unreadable field is 0.
    const QString text = view_.text(Control::Text9);
    const double minutes = text.trimmed().toDouble();
    if (minutes < 5 || minutes > 3600) {
        Q_EMIT fieldRejected(4, Control::Text9, QStringLiteral("Invalid Entry, must be between 5 and 3600."));
        return;
    }
    state_.info.Cycle_Minutes = text;
    state_.countdown = text.trimmed().toInt();
    view_.setText(Control::Text19, schedule_.GetNextMinutes());
    schedule_.ResetStatusBar();
}

void FieldChecks::Text10_LostFocus()
{
    const QString text = view_.text(Control::Text10);
    const double start = text.trimmed().toDouble();
    if (start < 0 || start > 23) {
        Q_EMIT fieldRejected(4, Control::Text10, QStringLiteral("Invalid Entry, must be between 0 and 23"));
        return;
    }
    if (text.trimmed().toInt() >= view_.text(Control::Text11).trimmed().toInt()) {
        alert(QStringLiteral("Invalid Entry, cannot start the schedule after it stops!"));
        view_.setText(Control::Text10, QStringLiteral("0"));
        return;
    }
    state_.info.Start_Time = text;
    view_.setText(Control::Text19, schedule_.GetNextMinutes());
    schedule_.ResetStatusBar();
}

void FieldChecks::Text11_LostFocus()
{
    const QString text = view_.text(Control::Text11);
    const double stop = text.trimmed().toDouble();
    if (stop < 0 || stop > 24) {
        Q_EMIT fieldRejected(4, Control::Text11, QStringLiteral("Invalid Entry, must be between 0 and 24"));
        return;
    }
    if (view_.text(Control::Text10).trimmed().toInt() >= text.trimmed().toInt()) {
        Q_EMIT fieldRejected(4, Control::Text11,
                             QStringLiteral("Invalid Entry, cannot stop the schedule before it starts!"));
        return;
    }
    state_.info.Stop_Time = text;
    view_.setText(Control::Text19, schedule_.GetNextMinutes());
    schedule_.ResetStatusBar();
}

bool FieldChecks::checkProfileField(Control field, const QString& failure, int page)
{
    const BusyScope hourglass(view_);
    const std::optional<QString> name = ProfileLogon(view_.text(field), chooser_);
    if (!name) {
        Q_EMIT fieldRejected(page, field, failure);
        return false;
    }
    view_.setText(field, *name);
    return true;
}

void FieldChecks::Text12_LostFocus()
{
    if (view_.text(Control::Text12).isEmpty())
        return;
    if (checkProfileField(Control::Text12,
                          QStringLiteral("Could not find that profile!\r\nPlease try again."), 5))
        state_.info.Normal_Fax_Profile = view_.text(Control::Text12);
}

void FieldChecks::Text15_LostFocus()
{
    if (view_.text(Control::Text15).isEmpty())
        return;
    if (checkProfileField(Control::Text15,
                          QStringLiteral("Could not find that profile!\r\nPlease try again."), 4))
        state_.info.Regular_Mail_Profile = view_.text(Control::Text15);
}

void FieldChecks::Text16_LostFocus()
{
    if (view_.text(Control::Text16).isEmpty())
        return;
    if (checkProfileField(Control::Text16, QStringLiteral("Could not find that profile!"), 1))
        state_.info.gTorvexProfile = view_.text(Control::Text16);
}

void FieldChecks::Text13_LostFocus()
{
    const QString password = view_.text(Control::Text13);
    if (password.isEmpty())
        return;
    if (password.size() < 5) {
        alert(QStringLiteral("You must enter at least 5 characters!"));
        view_.setText(Control::Text13, QString());
        state_.info.Password.clear();
        showField(1, Control::Text13);
        return;
    }
    state_.info.Password = password;
    showField(1, Control::Text14);
}

void FieldChecks::Text14_LostFocus()
{
    if (view_.text(Control::Text14) == state_.info.Password)
        return;
    alert(QStringLiteral("Not the same!"));
    view_.setText(Control::Text14, QString());
    view_.setText(Control::Text13, QString());
    state_.info.Password.clear();
    showField(1, Control::Text13);
}

void FieldChecks::Text22_LostFocus()
{
    if (view_.text(Control::Text22).isEmpty())
        view_.setText(Control::Text22, QStringLiteral("0"));
    const QString text = view_.text(Control::Text22);
    const double minutes = text.trimmed().toDouble();
    if (minutes < 1 || minutes > 99) {
        Q_EMIT fieldRejected(5, Control::Text22, QStringLiteral("Invalid Entry, must be between 1 and 99"));
        return;
    }
    state_.gRegularFaxInterval = text.trimmed().toInt();
}

void FieldChecks::txtVXAddress_LostFocus()
{
    TelvaneInfo& info = state_.info;
    const QString text = view_.text(Control::txtVXAddress);
    if (text.isEmpty())
        return;
    const qsizetype at = text.indexOf(QLatin1Char('@'));
    if (at <= 0 || at == text.size() - 1) {
        Q_EMIT fieldRejected(1, Control::txtVXAddress, QStringLiteral("Invalid TORVEX Address!"));
        return;
    }
    state_.gDomain = text.mid(at + 1);
    state_.gLogin = text.left(at);
    if (state_.gDomain.compare(info.gVXDomainName, Qt::CaseInsensitive) != 0) {
        info.Torvex_Addr = text;
        return;
    }
    if (!IsAllDigits(state_.gLogin)) {
        alert(QStringLiteral("'User Name' must be a global fax number."));
        return;
    }
    info.Torvex_Addr = state_.gLogin + QLatin1Char('@') + info.gVXDomainName;
    view_.setText(Control::Label31, QLatin1Char(' ') + info.Torvex_Addr + QLatin1Char(' '));
}

void FieldChecks::txtFirstName_LostFocus()
{
    const QString typed = view_.text(Control::txtFirstName);
    if (typed.isEmpty())
        return;
    const QString name = firstUpper(typed.trimmed());
    view_.setText(Control::txtFirstName, name);
    if (!AlphaNumeric(name, true))
        Q_EMIT fieldRejected(6, Control::txtFirstName, QStringLiteral("Must be a to z and 0 to 9, blanks OK!"));
}

void FieldChecks::txtLastName_LostFocus()
{
    const QString typed = view_.text(Control::txtLastName);
    if (typed.isEmpty())
        return;
    const QString name = firstUpper(typed);
    view_.setText(Control::txtLastName, name);
    if (HasBlank(name))
        Q_EMIT fieldRejected(6, Control::txtLastName, QStringLiteral("No Blanks permitted!"));
    else if (!AlphaNumeric(name, false))
        Q_EMIT fieldRejected(6, Control::txtLastName, QStringLiteral("Must be a to z and 0 to 9 !"));
}

void FieldChecks::txtStreet_LostFocus()
{
    view_.setApplyIsDefault(true);
}

}  // namespace torvex
