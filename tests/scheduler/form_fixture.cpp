#include "form_fixture.h"

#include "platform/settings/profile_api.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QtTest>

namespace torvex::test {

QMap<QString, QString> registeredSettings()
{
    return {
        {QStringLiteral("Use_Defaults"), QStringLiteral("2")},
        {QStringLiteral("Account_Date_Stamp"), QStringLiteral("2024-01-02")},
        {QStringLiteral("Torvex_Addr"), QStringLiteral("4420712345@torvex.net")},
        {QStringLiteral("Country_Code"), QStringLiteral("44")},
        {QStringLiteral("Area_Code"), QStringLiteral("207")},
        {QStringLiteral("Fax_Number"), QStringLiteral("12345")},
        {QStringLiteral("Torvex_Name"), QStringLiteral("Torvex +4420712345")},
        {QStringLiteral("Password"), QStringLiteral("secret1")},
        {QStringLiteral("Save_Pass"), QStringLiteral("1")},
        {QStringLiteral("Torvex_Profile"), QStringLiteral("Torvex")},
        {QStringLiteral("Normal_EMail_Addr"), QStringLiteral("me@example.org")},
        {QStringLiteral("User_SMTP_Server"), QStringLiteral("smtp.example.org")},
        {QStringLiteral("User_SMTP_Security"), QStringLiteral("starttls-required")},
        {QStringLiteral("User_SMTP_Port"), QStringLiteral("587")},
        {QStringLiteral("User_SMTP_User"), QStringLiteral("me")},
        {QStringLiteral("User_SMTP_Password"), QStringLiteral("smtp-secret")},
        {QStringLiteral("Printer_Type"), QStringLiteral("Office_Laser")},
        {QStringLiteral("Activate_Scheduler"), QStringLiteral("y")},
        {QStringLiteral("Cycle_Minutes"), QStringLiteral("60")},
        {QStringLiteral("Start_Time"), QStringLiteral("0")},
        {QStringLiteral("Stop_Time"), QStringLiteral("24")},
        {QStringLiteral("GSTN_Fax_Minutes"), QStringLiteral("15")},
        {QStringLiteral("Modem_Connect"), QStringLiteral("n")},
    };
}

FormFixture::FormFixture(const QMap<QString, QString>& settings, bool withAccountFile)
{
    for (auto it = settings.begin(); it != settings.end(); ++it)
        WriteProfileStringA(QStringLiteral("TORVEX"), it.key(), it.value());
    if (withAccountFile)
        env.writeFile(QStringLiteral("account.ini"), "[MYINFO]\n");
    QDir().mkpath(env.path(QStringLiteral("profiles/Torvex/cur")));
    QDir().mkpath(env.path(QStringLiteral("profiles/Torvex/new")));
    QDir().mkpath(env.path(QStringLiteral("profiles/Torvex/tmp")));
}

bool FormFixture::load(const QDateTime& now)
{
    clock = std::make_shared<FixedClock>(now);
    FormEnvironment e;
    e.boxes = boxes;
    e.clock = clock;
    e.shell = shell;
    e.profileChooser = chooser;
    e.printerNames = [this] { return printers; };
    e.printerSetup = [](QWidget*) {};
    e.endProgram = [this] { ++endCalls; };
    if (!realAccount)
        e.makeAccount = [this](MainForm&) {
            auto recording = std::make_unique<RecordingAccount>();
            account = recording.get();
            return std::unique_ptr<AccountHooks>(std::move(recording));
        };
    e.makeDialUp = [](MainForm&) { return std::unique_ptr<DialUpHooks>(std::make_unique<NoDialUp>()); };
    e.makeLineMonitor = [this](MainForm&) {
        auto recording = std::make_unique<RecordingLineMonitor>();
        line = recording.get();
        return std::unique_ptr<LineMonitorHooks>(std::move(recording));
    };
    form_ = std::make_unique<MainForm>(std::move(e));
    return form_->Form_Load();
}

void FormFixture::showActive()
{
    form_->show();
    QApplication::setActiveWindow(form_.get());
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
}

QString FormFixture::key(const QString& name) const
{
    return GetProfileStringA(QStringLiteral("TORVEX"), name, QStringLiteral("<absent>"));
}

QByteArray FormFixture::iniText() const
{
    QFile file(env.iniPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void FormFixture::typeInto(QWidget* field, const QString& text)
{
    field->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(field, text);
}

void FormFixture::leaveTo(QWidget* target)
{
    target->setFocus(Qt::TabFocusReason);
}

}  // namespace torvex::test
