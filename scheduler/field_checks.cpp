#include "field_checks.h"

#include "common/char_tests.h"
#include "common/mail_security.h"
#include "main_form.h"
#include "profile_session.h"
#include "schedule_engine.h"
#include "wait_cursor.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace torvex {
namespace {

// The numeric value of a field as typed; an empty or unreadable field is 0.
double value(const QLineEdit* field)
{
    return field->text().trimmed().toDouble();
}

int integer(const QLineEdit* field)
{
    return field->text().trimmed().toInt();
}

void dropLeadingZeros(QLineEdit* field)
{
    while (field->text().startsWith(QLatin1Char('0'))) {
        field->setText(field->text().mid(1));
        QCoreApplication::processEvents();
    }
}

QString firstUpper(const QString& text)
{
    return text.isEmpty() ? text : text.left(1).toUpper() + text.mid(1);
}

}  // namespace

FieldChecks::FieldChecks(MainForm& form) : QObject(&form), form_(form) {}

void FieldChecks::connectFields()
{
    const FormControls& c = form_.controls();
    connect(c.Text2, &QLineEdit::textChanged, this, &FieldChecks::Text2_Change);
    connect(c.Text3, &QLineEdit::textChanged, this, &FieldChecks::Text3_Change);
    connect(c.Text4, &QLineEdit::textChanged, this, &FieldChecks::Text4_Change);
    connect(c.Text9, &QLineEdit::textChanged, this, &FieldChecks::Text9_Change);
    connect(c.Text10, &QLineEdit::textChanged, this, &FieldChecks::Text10_Change);
    connect(c.Text11, &QLineEdit::textChanged, this, &FieldChecks::Text11_Change);
    for (QLineEdit* port : {c.Text29, c.Text30, c.Text33})
        connect(port, &QLineEdit::textChanged, this, [this, port] { portField_Change(port); });
    for (QLineEdit* field : {c.Text1, c.Text2, c.Text3, c.Text4, c.Text6, c.Text7, c.Text9,
                             c.Text10, c.Text11, c.Text12, c.Text13, c.Text14, c.Text15, c.Text16,
                             c.Text22, c.txtVXAddress, c.txtFirstName, c.txtLastName, c.txtStreet,
                             c.txtArea, c.txtBankACOwner, c.txtCCode, c.txtCountry, c.txtJobTitle,
                             c.txtNo, c.txtState, c.txtTown, c.txtZip, c.Text29, c.Text30,
                             c.Text31, c.Text32, c.Text33, c.Text34})
        field->installEventFilter(this);
}

bool FieldChecks::eventFilter(QObject* watched, QEvent* event)
{
    const FormControls& c = form_.controls();
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (!field)
        return false;
    if (event->type() == QEvent::FocusIn) {
        if (field == c.txtArea || field == c.txtBankACOwner || field == c.txtCCode
            || field == c.txtCountry || field == c.txtJobTitle || field == c.txtNo
            || field == c.txtState || field == c.txtTown || field == c.txtZip
            || field == c.txtStreet)
            addressGroup_GotFocus(field);
        return false;
    }
    if (event->type() != QEvent::FocusOut)
        return false;
    // Switching to another window or opening a menu does not leave the
    // field, and a check that moves the focus does not fire another one.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason || inHandler_)
        return false;

    using Handler = void (FieldChecks::*)();
    const std::pair<QLineEdit*, Handler> handlers[] = {
        {c.Text1, &FieldChecks::Text1_LostFocus},
        {c.Text2, &FieldChecks::Text2_LostFocus},
        {c.Text3, &FieldChecks::Text3_LostFocus},
        {c.Text4, &FieldChecks::Text4_LostFocus},
        {c.Text6, &FieldChecks::Text6_LostFocus},
        {c.Text7, &FieldChecks::Text7_LostFocus},
        {c.Text9, &FieldChecks::Text9_LostFocus},
        {c.Text10, &FieldChecks::Text10_LostFocus},
        {c.Text11, &FieldChecks::Text11_LostFocus},
        {c.Text12, &FieldChecks::Text12_LostFocus},
        {c.Text13, &FieldChecks::Text13_LostFocus},
        {c.Text14, &FieldChecks::Text14_LostFocus},
        {c.Text15, &FieldChecks::Text15_LostFocus},
        {c.Text16, &FieldChecks::Text16_LostFocus},
        {c.Text22, &FieldChecks::Text22_LostFocus},
        {c.txtVXAddress, &FieldChecks::txtVXAddress_LostFocus},
        {c.txtFirstName, &FieldChecks::txtFirstName_LostFocus},
        {c.txtLastName, &FieldChecks::txtLastName_LostFocus},
        {c.txtStreet, &FieldChecks::txtStreet_LostFocus},
        {c.Text31, &FieldChecks::Text31_LostFocus},
        {c.Text32, &FieldChecks::Text32_LostFocus},
        {c.Text34, &FieldChecks::Text34_LostFocus},
    };
    if (field == c.Text29 || field == c.Text30 || field == c.Text33) {
        inHandler_ = true;
        portField_LostFocus(field);
        inHandler_ = false;
        return false;
    }
    for (const auto& [control, handler] : handlers) {
        if (control != field)
            continue;
        inHandler_ = true;
        (this->*handler)();
        inHandler_ = false;
        break;
    }
    return false;
}

void FieldChecks::checkChange(QLineEdit* field, bool (*test)(const QString&), int page)
{
    const QString text = field->text();
    if (test(text)) {
        lastGood_[field] = text;
        return;
    }
    // Undo the edit that broke the rule, wherever in the field it was made.
    form_.alert(QStringLiteral("Must be numeric!"));
    const int cursor = std::max(0, int(field->cursorPosition()) - 1);
    {
        const QSignalBlocker quiet(field);
        field->setText(lastGood_.value(field));
        field->setCursorPosition(std::min(cursor, int(field->text().size())));
    }
    if (page > 0)
        form_.focusField(page, field);
    else
        field->setFocus(Qt::OtherFocusReason);
}

void FieldChecks::Text2_Change() { checkChange(form_.controls().Text2, IsAllDigits, 0); }
void FieldChecks::Text3_Change() { checkChange(form_.controls().Text3, IsAllDigits, 0); }
void FieldChecks::Text4_Change() { checkChange(form_.controls().Text4, IsPhoneChars, 0); }
void FieldChecks::Text9_Change() { checkChange(form_.controls().Text9, IsAllDigits, 4); }
void FieldChecks::Text10_Change() { checkChange(form_.controls().Text10, IsAllDigits, 4); }
void FieldChecks::Text11_Change() { checkChange(form_.controls().Text11, IsAllDigits, 4); }
void FieldChecks::portField_Change(QLineEdit* field) { checkChange(field, IsAllDigits, 2); }

void FieldChecks::Text1_LostFocus()
{
    form_.state().info.Torvex_Name = form_.controls().Text1->text();
}

void FieldChecks::Text2_LostFocus()
{
    const FormControls& c = form_.controls();
    dropLeadingZeros(c.Text2);
    // North American numbers: a three-digit area code. Other countries keep
    // the field's usual length.
    c.Text3->setMaxLength(c.Text2->text() == QLatin1String("1") ? 3 : 32767);
}

void FieldChecks::Text3_LostFocus()
{
    dropLeadingZeros(form_.controls().Text3);
}

void FieldChecks::Text4_LostFocus()
{
    FormControls& c = form_.controls();
    SchedulerState& s = form_.state();
    s.info.Fax_Number = NumbersOnly(c.Text4->text());
    const QString cc = NumbersOnly(c.Text2->text());
    if (cc.isEmpty()) {
        form_.alert(QStringLiteral("Must enter the country code"));
        c.Text2->setFocus(Qt::OtherFocusReason);
        return;
    }
    s.info.Area_Code = NumbersOnly(c.Text3->text());
    s.gLogin = cc + s.info.Area_Code + s.info.Fax_Number;
    if (c.Text2->text() == QLatin1String("1") && s.gLogin.size() != 11) {
        form_.alert(QStringLiteral("Area Code must be 3 digits and Number must be 7 digits."));
        c.Text2->setFocus(Qt::OtherFocusReason);
        return;
    }
    s.gDomain = s.info.gVXDomainName;
    s.info.Torvex_Addr = s.gLogin + QLatin1Char('@') + s.info.gVXDomainName;
    c.txtVXAddress->setText(s.info.Torvex_Addr);
    if (c.Command6->text().contains(QLatin1String("Set")))
        c.Label31->setText(QLatin1Char(' ') + s.info.Torvex_Addr + QLatin1Char(' '));

    const QString number = c.Text4->text();
    const QString plus = QStringLiteral("Torvex +");
    if (number.contains(QLatin1Char('-'))) {
        c.Text1->setText(plus + c.Text2->text() + QLatin1Char('-') + c.Text3->text()
                         + QLatin1Char('-') + number);
    } else if (number.contains(QLatin1Char(' '))) {
        c.Text1->setText(plus + c.Text2->text() + QLatin1Char(' ') + c.Text3->text()
                         + QLatin1Char(' ') + number);
    } else {
        s.info.Torvex_Name = plus + c.Text2->text() + c.Text3->text() + number;
        c.Text1->setText(s.info.Torvex_Name);
        form_.focusField(1, c.Text16);
    }
}

void FieldChecks::Text6_LostFocus()
{
    form_.state().info.Normal_EMail_Addr = form_.controls().Text6->text();
}

void FieldChecks::Text7_LostFocus()
{
    form_.state().info.gUserSMTPServer = form_.controls().Text7->text();
}

void FieldChecks::portField_LostFocus(QLineEdit* field)
{
    const FormControls& c = form_.controls();
    if (!field->text().isEmpty() && portSetting(field->text()) == 0) {
        form_.reportField(QStringLiteral("Invalid Entry, must be between 1 and 65535"), 2, field);
        return;
    }
    TelvaneInfo& info = form_.state().info;
    QString& setting = field == c.Text29 ? info.POP3_Port : field == c.Text30 ? info.User_SMTP_Port : info.SMTP_Port;
    setting = field->text();
}

void FieldChecks::Text31_LostFocus()
{
    form_.state().info.User_SMTP_User = form_.controls().Text31->text().trimmed();
}

void FieldChecks::Text32_LostFocus()
{
    form_.state().info.User_SMTP_Password = form_.controls().Text32->text();
}

void FieldChecks::Text34_LostFocus()
{
    QLineEdit* field = form_.controls().Text34;
    if (!field->text().isEmpty() && !QFileInfo(field->text()).isReadable()) {
        form_.reportField(QStringLiteral("Certificate file not found!"), 2, field);
        return;
    }
    form_.state().info.Trusted_Certificate_File = field->text();
}

void FieldChecks::Text9_LostFocus()
{
    FormControls& c = form_.controls();
    const double minutes = value(c.Text9);
    if (minutes < 5 || minutes > 3600) {
        form_.reportField(QStringLiteral("Invalid Entry, must be between 5 and 3600."), 4, c.Text9);
        return;
    }
    form_.state().info.Cycle_Minutes = c.Text9->text();
    form_.state().countdown = integer(c.Text9);
    c.Text19->setText(form_.schedule().GetNextMinutes());
    form_.schedule().ResetStatusBar();
}

void FieldChecks::Text10_LostFocus()
{
    FormControls& c = form_.controls();
    const double start = value(c.Text10);
    if (start < 0 || start > 23) {
        form_.reportField(QStringLiteral("Invalid Entry, must be between 0 and 23"), 4, c.Text10);
        return;
    }
    if (integer(c.Text10) >= integer(c.Text11)) {
        form_.alert(QStringLiteral("Invalid Entry, cannot start the schedule after it stops!"));
        c.Text10->setText(QStringLiteral("0"));
        return;
    }
    form_.state().info.Start_Time = c.Text10->text();
    c.Text19->setText(form_.schedule().GetNextMinutes());
    form_.schedule().ResetStatusBar();
}

void FieldChecks::Text11_LostFocus()
{
    FormControls& c = form_.controls();
    const double stop = value(c.Text11);
    if (stop < 0 || stop > 24) {
        form_.reportField(QStringLiteral("Invalid Entry, must be between 0 and 24"), 4, c.Text11);
        return;
    }
    if (integer(c.Text10) >= integer(c.Text11)) {
        form_.reportField(QStringLiteral("Invalid Entry, cannot stop the schedule before it starts!"),
                          4, c.Text11);
        return;
    }
    form_.state().info.Stop_Time = c.Text11->text();
    c.Text19->setText(form_.schedule().GetNextMinutes());
    form_.schedule().ResetStatusBar();
}

bool FieldChecks::checkProfileField(QLineEdit* field, const QString& failure, int page)
{
    const WaitCursor hourglass;
    const std::optional<QString> name =
        ProfileLogon(field->text(), *form_.environment().profileChooser, &form_);
    if (!name) {
        form_.reportField(failure, page, field);
        return false;
    }
    field->setText(*name);
    return true;
}

void FieldChecks::Text12_LostFocus()
{
    QLineEdit* field = form_.controls().Text12;
    if (field->text().isEmpty())
        return;
    if (checkProfileField(field, QStringLiteral("Could not find that profile!\r\nPlease try again."),
                          5))
        form_.state().info.Normal_Fax_Profile = field->text();
}

void FieldChecks::Text15_LostFocus()
{
    QLineEdit* field = form_.controls().Text15;
    if (field->text().isEmpty())
        return;
    if (checkProfileField(field, QStringLiteral("Could not find that profile!\r\nPlease try again."),
                          4))
        form_.state().info.Regular_Mail_Profile = field->text();
}

void FieldChecks::Text16_LostFocus()
{
    QLineEdit* field = form_.controls().Text16;
    if (field->text().isEmpty())
        return;
    if (checkProfileField(field, QStringLiteral("Could not find that profile!"), 1))
        form_.state().info.gTorvexProfile = field->text();
}

void FieldChecks::Text13_LostFocus()
{
    const FormControls& c = form_.controls();
    SchedulerState& s = form_.state();
    const QString password = c.Text13->text();
    if (password.isEmpty())
        return;
    if (password.size() < 5) {
        form_.alert(QStringLiteral("You must enter at least 5 characters!"));
        c.Text13->clear();
        s.info.Password.clear();
        form_.focusField(1, c.Text13);
        return;
    }
    s.info.Password = password;
    form_.focusField(1, c.Text14);
}

void FieldChecks::Text14_LostFocus()
{
    const FormControls& c = form_.controls();
    SchedulerState& s = form_.state();
    if (c.Text14->text() == s.info.Password)
        return;
    form_.alert(QStringLiteral("Not the same!"));
    c.Text14->clear();
    c.Text13->clear();
    s.info.Password.clear();
    form_.focusField(1, c.Text13);
}

void FieldChecks::Text22_LostFocus()
{
    FormControls& c = form_.controls();
    if (c.Text22->text().isEmpty())
        c.Text22->setText(QStringLiteral("0"));
    const double minutes = value(c.Text22);
    if (minutes < 1 || minutes > 99) {
        form_.reportField(QStringLiteral("Invalid Entry, must be between 1 and 99"), 5, c.Text22);
        return;
    }
    form_.state().gRegularFaxInterval = integer(c.Text22);
}

void FieldChecks::txtVXAddress_LostFocus()
{
    FormControls& c = form_.controls();
    SchedulerState& s = form_.state();
    const QString text = c.txtVXAddress->text();
    if (text.isEmpty())
        return;
    const qsizetype at = text.indexOf(QLatin1Char('@'));
    if (at <= 0 || at == text.size() - 1) {
        form_.reportField(QStringLiteral("Invalid TORVEX Address!"), 1, c.txtVXAddress);
        return;
    }
    s.gDomain = text.mid(at + 1);
    s.gLogin = text.left(at);
    if (s.gDomain.compare(s.info.gVXDomainName, Qt::CaseInsensitive) != 0) {
        s.info.Torvex_Addr = text;
        return;
    }
    if (!IsAllDigits(s.gLogin)) {
        form_.alert(QStringLiteral("'User Name' must be a global fax number."));
        return;
    }
    s.info.Torvex_Addr = s.gLogin + QLatin1Char('@') + s.info.gVXDomainName;
    c.Label31->setText(QLatin1Char(' ') + s.info.Torvex_Addr + QLatin1Char(' '));
}

void FieldChecks::txtFirstName_LostFocus()
{
    QLineEdit* field = form_.controls().txtFirstName;
    if (field->text().isEmpty())
        return;
    field->setText(firstUpper(field->text().trimmed()));
    if (!AlphaNumeric(field->text(), true))
        form_.reportField(QStringLiteral("Must be a to z and 0 to 9, blanks OK!"), 6, field);
}

void FieldChecks::txtLastName_LostFocus()
{
    QLineEdit* field = form_.controls().txtLastName;
    if (field->text().isEmpty())
        return;
    field->setText(firstUpper(field->text()));
    if (HasBlank(field->text()))
        form_.reportField(QStringLiteral("No Blanks permitted!"), 6, field);
    else if (!AlphaNumeric(field->text(), false))
        form_.reportField(QStringLiteral("Must be a to z and 0 to 9 !"), 6, field);
}

void FieldChecks::txtStreet_LostFocus()
{
    form_.setApplyIsDefault(true);
}

void FieldChecks::addressGroup_GotFocus(QLineEdit* field)
{
    form_.controls().Command6->setEnabled(true);
    if (field == form_.controls().txtStreet)
        form_.setApplyIsDefault(false);
}

}  // namespace torvex
