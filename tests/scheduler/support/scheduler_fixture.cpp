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
    const std::pair<const char*, const char*> settings[] = {
        {"Use_Defaults", "2"}, {"Account_Date_Stamp", "2024-01-02"}, {"Torvex_Addr", "4420712345@torvex.net"},
        {"Country_Code", "44"}, {"Area_Code", "207"}, {"Fax_Number", "12345"}, {"Torvex_Name", "Torvex +4420712345"},
        {"Password", "secret1"}, {"Save_Pass", "1"}, {"Torvex_Profile", "Torvex"},
        {"Normal_EMail_Addr", "me@example.org"}, {"User_SMTP_Server", "smtp.example.org"},
        {"User_SMTP_Security", "starttls-required"}, {"User_SMTP_Port", "587"}, {"User_SMTP_User", "me"},
        {"User_SMTP_Password", "smtp-secret"}, {"Printer_Type", "Office_Laser"}, {"Activate_Scheduler", "y"},
        {"Cycle_Minutes", "60"}, {"Start_Time", "0"}, {"Stop_Time", "24"}, {"GSTN_Fax_Minutes", "15"},
        {"Modem_Connect", "n"}};
    QMap<QString, QString> s;
    for (const auto& [key, value] : settings)
        s.insert(QString::fromLatin1(key), QString::fromLatin1(value));
    return s;
}

QMap<QString, QString> registeredSettings(std::initializer_list<std::pair<const char*, QString>> changes)
{
    QMap<QString, QString> s = registeredSettings();
    for (const auto& [key, value] : changes)
        s.insert(QString::fromLatin1(key), value);
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
    return readWholeFile(env.iniPath());
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

void SchedulerFixture::linkRealUtility() const
{
    QVERIFY(QFile::link(binDir() + QStringLiteral("/vxprintu"), env.path(QStringLiteral("vxprintu"))));
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

}  // namespace torvex::test
