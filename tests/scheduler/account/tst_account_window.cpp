#include "common/telvane_info.h"
#include "platform/settings/ini_file.h"
#include "scheduler/core/clock.h"
#include "scheduler/core/program_title.h"
#include "scheduler/core/scheduler_core.h"
#include "scheduler/core/system_date.h"
#include "tests/scheduler/account/sim_process.h"
#include "tests/scheduler/support/fake_view.h"
#include "tests/scheduler/support/scheduler_fixture.h"
#include "tests/support/fake_nmcli.h"
#include "tests/support/recording_message_boxes.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <memory>

using namespace torvex;

namespace {

const QDate kToday(2026, 12, 7);

}  // namespace

// The service account in the scheduler: loading the profile, the account
// button, and the member-status steps of start-up and retrieval.
class TestAccountWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestEnv> env;
    std::unique_ptr<test::SimProcess> sim;
    std::shared_ptr<RecordingMessageBoxes> boxes;
    std::unique_ptr<test::FakeView> view;
    std::unique_ptr<SchedulerCore> core;

    // A registered Relay member whose last status check lies daysAgo back.
    void writeSettings(int daysAgo, bool registered = true,
                       const QString& password = QStringLiteral("s3cret"))
    {
        QByteArray ini = "[TORVEX]\nTorvex_Addr=5551234@torvex.net\nUse_Defaults=3\n"
                         "Modem_Connect=n\nNormal_EMail_Addr=john@example.com\nprint_exe=fakeprint\n"
                         "general_timout=0\n";
        if (registered)
            ini += "Account_Date_Stamp=" + formatSystemDate(kToday.addDays(-400)).toUtf8() + "\n";
        ini += "Profile_Last_Change=" + formatSystemDate(kToday.addDays(-daysAgo)).toUtf8() + "\n";
        env->writeFile(env->iniPath(), ini);
        writeTorvexKey(QStringLiteral("Password"), password);
    }

    // The password the service keeps for the account.
    [[nodiscard]] QString storedPassword() const
    {
        return QJsonDocument::fromJson(sim->accounts())
            .object()
            .value(QLatin1String("5551234"))
            .toObject()
            .value(QLatin1String("password"))
            .toString();
    }

    void load()
    {
        CoreEnvironment e;
        e.boxes = boxes;
        e.clock = std::make_shared<FixedClock>(QDateTime(kToday, QTime(9, 30)));
        e.shell = std::make_shared<test::RecordingShell>();
        e.profileChooser = std::make_shared<test::ScriptedChooser>();
        e.printerNames = [] { return QStringList{QStringLiteral("TORVEX PDF")}; };
        e.endProgram = [] {};
        view = std::make_unique<test::FakeView>();
        {
            const test::NoNmcli noDialUp;
            core = std::make_unique<SchedulerCore>(std::move(e), *view);
        }
        view->attach(*core);
        QVERIFY(core->Form_Load());
    }

    // The address field's check enables the button once the user has been
    // through it; the tests start from there.
    void clickAccountButton() const
    {
        view->setEnabled(Control::Command6, true);
        view->click(Control::Command6);
    }

    // A print utility that notes its runs.
    void installUtility() const
    {
        env->writeFile(QStringLiteral("fakeprint"), "#!/bin/sh\necho \"$1\" >> \"$TORVEX_HOME/runs.log\"\n");
        QFile::setPermissions(env->path(QStringLiteral("fakeprint")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    [[nodiscard]] QString runs() const { return QString::fromLatin1(env->readFile(QStringLiteral("runs.log"))); }

    [[nodiscard]] QStringList actions() const
    {
        QStringList out;
        for (const QString& r : sim->requests())
            out << r.section(QLatin1Char('&'), 0, 0).section(QLatin1Char('='), 1);
        return out;
    }

private Q_SLOTS:
    // A followed run is five polls of 100 ms.
    void initTestCase() { qputenv("TORVEX_TIME_SCALE", "100"); }

    void init()
    {
        env = std::make_unique<test::TestEnv>();
        sim = std::make_unique<test::SimProcess>();
        QVERIFY(sim->isRunning());
        sim->writeAccounts(R"({"5551234": {"password": "s3cret", "firstname": "John",
                               "lastname": "Smith", "groups": "Brisko, Relay"}})");
        env->writeFile(QStringLiteral("account.ini"),
                       "[TORVEX]\nVX_domain_name=torvex.net\nVX_IP_Address=" + sim->address().toUtf8()
                           + "\n[MYINFO]\nlogin=5551234\nfirstname=John\nlastname=Smith\n"
                             "street=1%20High%20St\ntown=Leeds\nstate=%20\nzip=12345\ncountry=UK\n"
                             "ccode=44\narea=113\nnumber=4960000\ncompany_name=%20\njob_title=%20\n");
        boxes = std::make_shared<RecordingMessageBoxes>();
    }
    void cleanup()
    {
        core.reset();
        view.reset();
        sim.reset();
        env.reset();
    }

    void loadingShowsTheStoredProfile()
    {
        writeSettings(1);
        load();
        QCOMPARE(view->text(Control::txtStreet), QStringLiteral("1 High St"));
        QCOMPARE(view->text(Control::txtState), QString());
        QCOMPARE(view->text(Control::txtNo), QStringLiteral("4960000"));
        QCOMPARE(view->text(Control::Label31), QStringLiteral(" 5551234@torvex.net "));
        QCOMPARE(view->text(Control::Command6), QStringLiteral("Update Account"));
        QCOMPARE(readTorvexKey(QStringLiteral("VX_IP_Address")), sim->address());
        QVERIFY(sim->requests().isEmpty());
    }

    void startUpChecksTheStatusAfterThirtyDays()
    {
        writeSettings(31);
        load();
        core->runStartupAccountSteps();
        QCOMPARE(actions(), (QStringList{QStringLiteral("showdb"), QStringLiteral("changeuser")}));
        QCOMPARE(core->state().info.gMemberStatus, QStringLiteral("5"));
        QCOMPARE(readTorvexKey(QStringLiteral("Use_Defaults")), QStringLiteral("5"));
        QCOMPARE(readTorvexKey(QStringLiteral("Profile_Last_Change")), formatSystemDate(kToday));
        QCOMPARE(view->text(Control::Label50), QStringLiteral(" Brisko+Relay "));
        QVERIFY(view->isEnabled(Control::Check15));
        QVERIFY(view->isEnabled(Control::Check16));
        // The report carries the network card's address for a Brisko member.
        QVERIFY(sim->requests().last().contains(QLatin1String("&fax=") + view->text(Control::Text21)
                                                 + QLatin1Char('&')));
        QVERIFY(boxes->shown.empty());
    }

    void startUpLeavesAThirtyDayOldStatus()
    {
        writeSettings(30);
        load();
        core->runStartupAccountSteps();
        QVERIFY(sim->requests().isEmpty());
        QCOMPARE(view->text(Control::Label50), QStringLiteral(" Relay "));
        QVERIFY(view->isEnabled(Control::Check15));
    }

    void anUnregisteredAccountRunsNoAccountSteps()
    {
        writeSettings(100, false);
        load();
        view->setText(Control::Label50, QStringLiteral("as built"));
        core->runStartupAccountSteps();
        QVERIFY(sim->requests().isEmpty());
        QCOMPARE(view->text(Control::Label50), QStringLiteral("as built"));
    }

    void aRetrievalChecksTheStatusAfterThirtyDaysThenReports()
    {
        installUtility();
        writeSettings(30);
        load();
        core->launcher().shellIt(QStringLiteral("0"));
        QCOMPARE(actions(), QStringList{QStringLiteral("changeuser")});

        cleanup();
        init();
        installUtility();
        writeSettings(31);
        load();
        core->launcher().shellIt(QStringLiteral("0"));
        QCOMPARE(actions(), (QStringList{QStringLiteral("showdb"), QStringLiteral("changeuser")}));
        QCOMPARE(view->text(Control::Label50), QStringLiteral(" Brisko+Relay "));
    }

    // The schedule's retrieval with the password not saved: the address
    // report cannot go out and says so where a user finds it later, and
    // the retrieval runs; no box waits for anyone.
    void aScheduledRetrievalWaitsOnNoBox()
    {
        installUtility();
        writeSettings(30, true, QString());
        for (const auto& [key, value] : {std::pair{"Save_Pass", "0"}, {"Torvex_Profile", "Torvex"},
                                         {"User_SMTP_Server", "smtp.example.org"}, {"Printer_Type", "TORVEX PDF"},
                                         {"Activate_Scheduler", "y"}, {"Cycle_Minutes", "1"},
                                         {"Start_Time", "0"}, {"Stop_Time", "24"}})
            writeTorvexKey(QString::fromLatin1(key), QString::fromLatin1(value));
        QDir().mkpath(env->path(QStringLiteral("profiles/Torvex/cur")));
        load();
        view->switchFrame(5);
        core->schedule().Timer1_Timer();
        QTRY_COMPARE(runs(), QStringLiteral("/0\n"));
        QVERIFY2(boxes->shown.empty(), qPrintable(boxes->texts().join(QLatin1Char('|'))));
        QVERIFY(sim->requests().isEmpty());
        const QString lineState = view->text(Control::txtStatus);
        QVERIFY2(lineState.contains(core->statusBar().myDateTime() + QStringLiteral("  Missing Password, please retry!")),
                 qPrintable(lineState));
        QCOMPARE(view->tab, 5);  // not moved to the password
    }

    void theAccountButtonRegistersANewAccount_data()
    {
        QTest::addColumn<bool>("firstRun");
        QTest::newRow("unregistered") << false;
        QTest::newRow("first run") << true;
    }

    // Registered, the user can retrieve at once: "&Get TORVEXes NOW" and the
    // schedule work without a restart, also after a first start.
    void theAccountButtonRegistersANewAccount()
    {
        QFETCH(bool, firstRun);
        writeSettings(1, false);
        if (firstRun)
            env->writeFile(env->iniPath(), "[TORVEX]\nPassword=s3cret\n");
        sim->writeAccounts("{}");
        load();
        if (firstRun) {
            boxes->shown.clear();  // the help question
            view->type(Control::txtVXAddress, QStringLiteral("5551234@torvex.net"));
            view->moveFocus(Control::Text1);
        }
        QVERIFY(!view->isEnabled(Control::Command4));
        QCOMPARE(core->Timer1().isActive(), !firstRun);
        view->tick(Control::Option2, true);
        QCOMPARE(view->text(Control::Command6), QStringLiteral("&Set Up Address"));
        clickAccountButton();
        QCOMPARE(actions(), QStringList{QStringLiteral("adduser")});
        QVERIFY(sim->requests().last().endsWith(QLatin1String("user=-")));
        QCOMPARE(boxes->texts(), QStringList{QStringLiteral("Welcome to TORVEX\r\nYour TORVEX account 5551234 has been set up.")});
        QCOMPARE(view->text(Control::Command6), QStringLiteral("Update Profile"));
        QVERIFY(!view->isEnabled(Control::txtFirstName));
        QVERIFY(view->isEnabled(Control::Command5));
        QVERIFY(view->isEnabled(Control::Command4));
        QVERIFY(core->Timer1().isActive());
        QCOMPARE(readTorvexKey(QStringLiteral("Account_Date_Stamp")), formatSystemDate(kToday));
        QVERIFY(sim->accounts().contains("\"street\": \"1 High St\""));
    }

    void theAccountButtonWantsAConnectionType()
    {
        writeSettings(1);
        load();
        // Neither option selected, as on a first start.
        view->setChecked(Control::Option1, false);
        view->setChecked(Control::Option2, false);
        clickAccountButton();
        QVERIFY(sim->requests().isEmpty());
        QCOMPARE(boxes->texts(), QStringList{QStringLiteral("Please select 'Modem' or 'Network'.")});
    }

    void anyPasswordReachesTheService_data()
    {
        QTest::addColumn<QString>("password");
        for (const char* password : {"ab#cd1", "ab&cd=1", "p@ss:w/rd", "x%41yz1", "plus+1 2", "it's%%"})
            QTest::newRow(password) << QString::fromLatin1(password);
    }

    // Registered, updated and asked for its groups: the service takes the
    // password as typed every time, and support never reads it.
    void anyPasswordReachesTheService()
    {
        QFETCH(QString, password);
        writeSettings(1, false, password);
        sim->writeAccounts("{}");
        load();
        view->tick(Control::Option2, true);
        clickAccountButton();
        QCOMPARE(boxes->texts(), QStringList{QStringLiteral("Welcome to TORVEX\r\nYour TORVEX account 5551234 has been set up.")});
        QCOMPARE(storedPassword(), password);

        boxes->shown.clear();
        clickAccountButton();
        QCOMPARE(boxes->texts(),
                 QStringList{QStringLiteral("Your TORVEX User Profile has been successfully changed on the TORVEX Server!")});
        QCOMPARE(boxes->shown[0].caption, programTitle());
        QVERIFY(sim->requests().last().endsWith(QLatin1String("user=5551234")));
        QCOMPARE(storedPassword(), password);
        // Accepted: the address is now the reported one.
        QCOMPARE(readTorvexKey(QStringLiteral("Public_IP_Addr")), core->state().gLocalIPAddr);
        QVERIFY(core->account().member.CheckMemberStatus());
        QCOMPARE(core->state().info.gMemberStatus, QStringLiteral("2"));
        QCOMPARE(actions(), (QStringList{QStringLiteral("adduser"), QStringLiteral("changeuser"), QStringLiteral("showdb")}));

        QVERIFY(sim->setMode(QStringLiteral("error")));
        clickAccountButton();
        const QString kept = IniFile(env->path(QStringLiteral("account.ini")))
                                 .read(QStringLiteral("HTTP"), QStringLiteral("Request"), QString());
        QVERIFY2(kept.startsWith(QLatin1String("//5551234:********@")), qPrintable(kept));
        QVERIFY(kept.contains(QLatin1String("&password1=********&password2=********&")));
        QVERIFY(!kept.contains(password));
    }

    void aFailedRequestShowsItsErrorOnTheStatusBar()
    {
        writeSettings(1);
        load();
        view->tick(Control::Option2, true);
        QVERIFY(sim->setMode(QStringLiteral("drop")));
        clickAccountButton();
        QCOMPARE(boxes->texts(), QStringList{QStringLiteral("Error 35797\r\nConnection reset.")});
        QCOMPARE(sim->requests().size(), 1);  // one click, one request
        QVERIFY(core->statusBar().text().endsWith(QLatin1String(" Connection reset.")));
        QVERIFY(core->statusBar().text().startsWith(QLatin1String("Date : ")));
        const QString kept = IniFile(env->path(QStringLiteral("account.ini")))
                                 .read(QStringLiteral("HTTP"), QStringLiteral("Request"), QString());
        QVERIFY(kept.startsWith(QLatin1String("//5551234:********@")));
        QVERIFY(!kept.contains(QLatin1String("s3cret")));
    }
};

QTEST_GUILESS_MAIN(TestAccountWindow)
#include "tst_account_window.moc"
