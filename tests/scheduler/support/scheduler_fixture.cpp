#include "scheduler_fixture.h"

#include "platform/settings/profile_api.h"
#include "scheduler/line/line_monitor.h"
#include "scheduler/window/main_form.h"
#include "tests/support/fake_nmcli.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QtTest>

#include <optional>

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

QMap<QString, QString> registeredSettings(std::initializer_list<std::pair<const char*, const char*>> changes)
{
    QMap<QString, QString> s = registeredSettings();
    for (const auto& [key, value] : changes)
        s.insert(QString::fromLatin1(key), QString::fromUtf8(value));
    return s;
}

SchedulerFixture::SchedulerFixture(const QMap<QString, QString>& settings, bool withAccountFile)
{
    WriteProfileStringA(QStringLiteral("TORVEX"), QString::fromLatin1(kModemDevicesKey), QStringLiteral("none"));
    for (auto it = settings.begin(); it != settings.end(); ++it)
        WriteProfileStringA(QStringLiteral("TORVEX"), it.key(), it.value());
    // The service at a loopback port nobody serves: no test reaches the Internet.
    if (withAccountFile)
        env.writeFile(QStringLiteral("account.ini"), "[TORVEX]\nVX_IP_Address=127.0.0.1:9\n[MYINFO]\n");
    for (const char* sub : {"cur", "new", "tmp"})
        QDir().mkpath(env.path(QStringLiteral("profiles/Torvex/") + QLatin1String(sub)));
}

CoreEnvironment SchedulerFixture::environment(const QDateTime& now)
{
    clock = std::make_shared<FixedClock>(now);
    CoreEnvironment e;
    e.boxes = boxes;
    e.clock = clock;
    e.shell = shell;
    e.profileChooser = chooser;
    e.printerNames = [this] { return printers; };
    e.endProgram = [this] { ++endCalls; };
    return e;
}

QString SchedulerFixture::key(const QString& name) const
{
    return GetProfileStringA(QStringLiteral("TORVEX"), name, QStringLiteral("<absent>"));
}

QByteArray SchedulerFixture::iniText() const
{
    QFile file(env.iniPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void SchedulerFixture::installUtility(const QString& name, const QByteArray& body)
{
    env.writeFile(name, "#!/bin/sh\n" + body);
    QFile::setPermissions(env.path(name), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QStringList SchedulerFixture::launches() const
{
    return QString::fromUtf8(env.readFile(QStringLiteral("launches.log")))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool CoreFixture::load(const QDateTime& now)
{
    {
        std::optional<NoNmcli> noDialUp;
        if (!networkManager)
            noDialUp.emplace();
        core_ = std::make_unique<SchedulerCore>(environment(now), view);
    }
    view.attach(*core_);
    QObject::connect(core_.get(), &SchedulerCore::statusTextChanged,
                     [this](const QString& text) { statusSeen << text; });
    QObject::connect(core_.get(), &SchedulerCore::captionChanged,
                     [this](const QString& text) { caption = text; });
    return core_->Form_Load();
}

WindowFixture::~WindowFixture() = default;

bool WindowFixture::load(const QDateTime& now)
{
    {
        std::optional<NoNmcli> noDialUp;
        if (!networkManager)
            noDialUp.emplace();
        form_ = std::make_unique<MainForm>(environment(now));
    }
    return form_->core().Form_Load();
}

void WindowFixture::showActive()
{
    form_->show();
    QApplication::setActiveWindow(form_.get());
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
}

FormControls& WindowFixture::c()
{
    return form_->controls();
}

SchedulerCore& WindowFixture::core()
{
    return form_->core();
}

QWidget* WindowFixture::findControl(Control control) const
{
    return form_->findChild<QWidget*>(controlName(control));
}

}  // namespace torvex::test
