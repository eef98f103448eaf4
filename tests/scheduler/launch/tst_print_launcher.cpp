// shellIt following the real print utility as a separate process, and
// scripted utilities for what the real one does not do (hang, fail).
#include "tests/scheduler/support/scheduler_fixture.h"
#include "scheduler/launch/print_launcher.h"
#include "scheduler/schedule/schedule_engine.h"
#include "scheduler/launch/print_utility_path.h"
#include "scheduler/core/program_title.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QtTest>

using namespace torvex;
using namespace torvex::test;

class TstPrintLauncher : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        qputenv("TORVEX_TIME_SCALE", "50");  // 10-second polls of 200 ms
    }

    void followsARealRunUntilQuit()
    {
        // A long time-out: the run must end on "quit", not on the clock.
        CoreFixture f(registeredSettings({{"Printer_Type", ""}, {"general_timout", "19"}}));
        f.linkRealUtility();
        QVERIFY(f.load());
        writeTorvexKey(QStringLiteral("VXPrint"), QStringLiteral("stale"));
        QElapsedTimer clock;
        clock.start();
        f.core().launcher().shellIt(QStringLiteral("6"));
        QVERIFY2(clock.elapsed() < 20 * 200, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(clock.elapsed() >= 180);  // at least the first wait (a coarse timer may run 5 % early)
        QCOMPARE(f.key(QStringLiteral("VXPrint")), QString());
        QCOMPARE(f.key(QStringLiteral("printing")), QStringLiteral("0"));
        // Which of the utility's lines a poll catches depends on timing; every
        // one shown is one the utility wrote.
        const QString prefix = f.core().statusBar().myDateTime() + QStringLiteral("  ");
        const QStringList lines = {QStringLiteral("Starting TORVEX Print"),
                                   f.key(QStringLiteral("print_status"))};
        QStringList shown = f.statusSeen;
        shown << f.statusText();
        const bool followed = std::any_of(shown.begin(), shown.end(), [&](const QString& text) {
            return text.startsWith(prefix) && (lines.contains(text.mid(prefix.size()))
                                               || text.contains(QLatin1String("Logged on to profile")));
        });
        QVERIFY2(followed, qPrintable(shown.join(QLatin1Char('|'))));
        QVERIFY(!f.view.isVisible(Control::errorsignal));
        QCOMPARE(f.caption, programTitle());
        QVERIFY(f.view.isEnabled(Control::Command4));
        QVERIFY(f.view.isEnabled(Control::Command5));
    }

    void reportedErrorShowsTheErrorSign()
    {
        CoreFixture f(registeredSettings({{"Printer_Type", ""}, {"general_timout", "19"}}));
        // A utility that fails: its error and "quit" land in the settings file.
        f.installUtility(QStringLiteral("vxprintu"), "printf 'last_error=Unable to reach the POP3 server\\nVXPrint=quit\\n' "
                         ">> \"$TORVEX_INI\"\n");
        QVERIFY(f.load());
        // A test message's run keeps its error without the sign.
        f.core().launcher().shellIt(QStringLiteral("2"));
        QCOMPARE(f.core().state().lastError, QStringLiteral("Unable to reach the POP3 server"));
        QVERIFY(!f.view.isVisible(Control::errorsignal));
        QCOMPARE(f.caption, programTitle());

        f.core().launcher().shellIt(QStringLiteral("0"));
        const QString error = f.key(QStringLiteral("last_error"));
        QCOMPARE(error, QStringLiteral("Unable to reach the POP3 server"));
        QCOMPARE(f.core().state().lastError, error);
        QVERIFY(f.view.isVisible(Control::errorsignal));
        QCOMPARE(f.statusText(), error);
        QCOMPARE(f.caption, programTitle() + QStringLiteral(" Halted !"));

        // While the error stands, the status bar says what it is, with a beep.
        f.core().schedule().ResetStatusBar();
        QCOMPARE(f.statusText(), f.core().statusBar().myDateTime() + QLatin1Char(' ') + error);
        QCOMPARE(f.boxes->beeps, 1);

        f.view.click(Control::errorsignal);
        QCOMPARE(f.boxes->texts().last(),
                 QStringLiteral("The print utility reported the following error.\r\n") + error);
        QVERIFY(!f.view.isVisible(Control::errorsignal));
        QCOMPARE(f.caption, programTitle() + QStringLiteral(" Halted !"));
    }

    // A utility that never says "quit", hanging or ended at once (the real
    // one on a printer it cannot find), is waited for until the time-out.
    void utilityWithoutQuitTimesOut_data()
    {
        QTest::addColumn<QString>("printer");  // empty: a utility that hangs
        QTest::addColumn<QString>("generalTimeout");
        QTest::addColumn<int>("polls");
        QTest::addColumn<QString>("status");
        QTest::newRow("default") << "" << "1" << 11 << "Fetching mail";
        QTest::newRow("gTimoutMinutes 1") << "" << "0" << 5 << "Fetching mail";
        QTest::newRow("below 0 counts as 0") << "" << "-3" << 5 << "Fetching mail";
        QTest::newRow("the real one, ended") << "No_Such_Queue" << "0" << 5
                                             << "Print Error : NO or BAD PRINTER CONFIGURED !";
    }

    void utilityWithoutQuitTimesOut()
    {
        QFETCH(QString, printer);
        QFETCH(QString, generalTimeout);
        QFETCH(int, polls);
        QFETCH(QString, status);
        CoreFixture f(registeredSettings({{"Printer_Type", printer}, {"general_timout", generalTimeout}}));
        if (printer.isEmpty())
            f.installUtility(QStringLiteral("vxprintu"), "exec sleep 4\n");
        else
            f.linkRealUtility();
        QVERIFY(f.load());
        writeTorvexKey(QStringLiteral("VXPrint"), QStringLiteral("running"));
        writeTorvexKey(QStringLiteral("print_status"), QStringLiteral("Fetching mail"));
        int waits = 0;
        connect(&f.core().Timer2(), &QTimer::timeout, this, [&waits] { ++waits; });
        f.core().launcher().shellIt(printer.isEmpty() ? QStringLiteral("0") : QStringLiteral("6"));
        QCOMPARE(waits, polls);
        QCOMPARE(f.key(QStringLiteral("VXPrint")), QString());
        QCOMPARE(f.statusText(), f.core().statusBar().myDateTime() + QStringLiteral("  ") + status);
        QVERIFY(f.view.isEnabled(Control::Command4));
    }

    void missingUtilityIsReported()
    {
        CoreFixture f(registeredSettings({{"Printer_Type", ""}, {"print_exe", "nothere.exe"}}));
        QVERIFY(f.load());
        f.core().launcher().shellIt(QStringLiteral("0"));
        QCOMPARE(f.boxes->texts(),
                 QStringList{QStringLiteral("Set Up Error !\r\nMissing TORVEX Print Utility.")});
        QVERIFY(f.view.isEnabled(Control::Command4));
        QVERIFY(f.view.isEnabled(Control::Command5));
    }

    void modemRunNeedsAConnectionButRegularFaxesDoNot()
    {
        CoreFixture f(registeredSettings({{"Printer_Type", ""}, {"general_timout", "0"}}));
        f.installUtility();
        QVERIFY(f.load());
        f.view.setChecked(Control::Option1, true);
        f.core().launcher().shellIt(QStringLiteral("0"));
        QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("Please try again when connected!")});
        QVERIFY(f.view.isEnabled(Control::Command4));
        f.boxes->shown.clear();
        f.core().launcher().shellIt(QStringLiteral("1"));
        QVERIFY(f.boxes->texts().isEmpty());
        QTRY_COMPARE(f.launches(), QStringList{QStringLiteral("/1")});
    }

    void getTorvexesNowAppliesThenRuns()
    {
        CoreFixture f(registeredSettings({{"Printer_Type", ""}, {"general_timout", "0"}}));
        f.installUtility();
        QVERIFY(f.load());
        // No printer saved, none chosen: asked, "No", and the run goes ahead.
        f.boxes->answers = {MsgAnswer::No};
        f.view.click(Control::Command4);
        QCOMPARE(f.boxes->texts().size(), 2);
        QVERIFY(f.core().state().settingsApplied);
        QTRY_COMPARE(f.launches(), QStringList{QStringLiteral("/0")});
        QVERIFY(f.statusSeen.contains(f.core().statusBar().myDateTime()
                                    + QStringLiteral(" Retrieving TORVEXes for 4420712345@TORVEX.NET")));
        QVERIFY(f.view.isEnabled(Control::Command4));

        // A failed Apply runs nothing and gives the button back.
        f.boxes->shown.clear();
        f.view.setText(Control::Text7, QString());
        f.view.click(Control::Command4);
        QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("Missing SMTP Server!")});
        QVERIFY(f.view.isEnabled(Control::Command4));
    }

    // The utility in the program folder, by its name or without ".exe"; else
    // the one built beside the scheduler.
    void utilityPath()
    {
        TestEnv env;
        const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/vxprintu");
        QVERIFY2(QFileInfo::exists(beside), "vxprintu is not built beside the test");
        QCOMPARE(printUtilityPath(env.home(), QStringLiteral("vxprintu.exe")), beside);
        QCOMPARE(printUtilityPath(env.home(), QStringLiteral("vxprintu")), beside);
        env.writeFile(QStringLiteral("vxprintu"), "");
        QCOMPARE(printUtilityPath(env.home(), QStringLiteral("vxprintu.exe")), env.home() + QStringLiteral("/vxprintu"));
        env.writeFile(QStringLiteral("vxprintu.exe"), "");
        QCOMPARE(printUtilityPath(env.home(), QStringLiteral("vxprintu.exe")), env.home() + QStringLiteral("/vxprintu.exe"));
        QCOMPARE(printUtilityPath(env.home(), QStringLiteral("other")), env.home() + QStringLiteral("/other"));
    }
};

QTEST_GUILESS_MAIN(TstPrintLauncher)
#include "tst_print_launcher.moc"
