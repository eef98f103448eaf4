// The once-a-minute schedule with a fixed clock and the time scale; the
// print utility is a script that notes each start.
#include "tests/scheduler/support/scheduler_fixture.h"
#include "scheduler/launch/print_launcher.h"
#include "scheduler/schedule/schedule_engine.h"

#include <QDir>
#include <QTimer>
#include <QtTest>

using namespace torvex;
using namespace torvex::test;

namespace {

QDateTime at(int day, int hour, int minute)
{
    return QDateTime(QDate(2024, 3, day), QTime(hour, minute));
}

}  // namespace

class TstScheduleEngine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        qputenv("TORVEX_TIME_SCALE", "600");
    }

    void dailyWindow()
    {
        CoreFixture f(registeredSettings({{"general_timout", "0"}, {"Start_Time", "8"}, {"Stop_Time", "17"}}));
        QVERIFY(f.load(at(12, 7, 59)));
        ScheduleEngine& engine = f.core().schedule();
        QVERIFY(!engine.IsTime());
        for (const auto& [hour, minute, open] : {std::tuple{8, 0, true}, {16, 59, true}, {17, 0, false}}) {
            f.clock->set(at(12, hour, minute));
            QCOMPARE(engine.IsTime(), open);
        }
        // A window crossing midnight is never open.
        f.view.setText(Control::Text10, QStringLiteral("22"));
        f.view.setText(Control::Text11, QStringLiteral("6"));
        f.clock->set(at(12, 23, 0));
        QVERIFY(!engine.IsTime());
    }

    void cycleOfOneStartsARunEveryTick_data()
    {
        QTest::addColumn<QString>("printer");
        QTest::newRow("printer saved") << "Office_Laser";
        QTest::newRow("no printer") << "";
    }

    void cycleOfOneStartsARunEveryTick()
    {
        QFETCH(QString, printer);
        CoreFixture f(registeredSettings({{"general_timout", "0"}, {"Cycle_Minutes", "1"}}));
        writeTorvexKey(QStringLiteral("Printer_Type"), printer);
        f.installUtility();
        QVERIFY(f.load());
        f.core().Timer1().stop();  // only the ticks of the test
        QCOMPARE(f.core().state().countdown, 1);
        for (int tick = 1; tick <= 3; ++tick) {
            f.core().schedule().Timer1_Timer();
            QTRY_COMPARE(f.launches().size(), tick);
            QCOMPARE(f.core().state().countdown, 1);
        }
        QCOMPARE(f.launches(), QStringList(3, QStringLiteral("/0")));
        QVERIFY(f.boxes->texts().isEmpty());
        if (!printer.isEmpty())
            return;
        // Without a printer nobody was asked: the runs retrieve unprinted, say
        // so, and the question waits for the user's own Apply.
        QVERIFY(f.view.text(Control::txtStatus).startsWith(
            f.core().statusBar().myDateTime()
            + QStringLiteral("  TORVEXes will be retrieved but will not be printed until you specify a printer.")));
        f.boxes->answers = {MsgAnswer::No};
        f.view.click(Control::Command1);
        QCOMPARE(f.boxes->texts().size(), 2);
    }

    void countdownAtZeroOutsideHoursWaitsForTheWindow()
    {
        CoreFixture f(registeredSettings({{"general_timout", "0"}, {"Cycle_Minutes", "5"}, {"Start_Time", "8"}, {"Stop_Time", "17"}}));
        f.installUtility();
        QVERIFY(f.load(at(12, 18, 29)));
        f.core().Timer1().stop();  // only the ticks of the test
        f.core().state().countdown = 1;
        f.clock->set(at(12, 18, 30));
        f.core().schedule().Timer1_Timer();
        QCOMPARE(f.core().state().countdown, 0);
        QCOMPARE(f.view.text(Control::Text19), QString::number((24 - 18 + 8) * 60 - 30));
        QVERIFY(f.statusText().endsWith(
            QStringLiteral("  Next TORVEX retrieval scheduled in 810 minutes.")));

        f.clock->set(at(13, 7, 59));
        f.core().schedule().Timer1_Timer();
        QCOMPARE(f.view.text(Control::Text19), QStringLiteral("1"));
        QTest::qWait(100);
        QVERIFY(f.launches().isEmpty());

        f.clock->set(at(13, 8, 0));
        f.core().schedule().Timer1_Timer();
        QTRY_COMPARE(f.launches(), QStringList{QStringLiteral("/0")});
        QCOMPARE(f.core().state().countdown, 5);
        QCOMPARE(f.view.text(Control::Text19), QStringLiteral("5"));
    }

    void regularFaxesRideOnTheCountdown_data()
    {
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<int>("interval");
        QTest::addColumn<QStringList>("launches");
        // Ticks 15 and 30 leave the countdown at 45 and 30; tick 60 starts the
        // scheduled run, reloads 60 and checks regular faxes in the same tick.
        QTest::newRow("every 15 minutes") << "15" << 15 << QStringList{"/1", "/1", "/0", "/1"};
        QTest::newRow("no interval: never") << "" << 0 << QStringList{"/0"};
    }

    void regularFaxesRideOnTheCountdown()
    {
        QFETCH(QString, minutes);
        QFETCH(int, interval);
        QFETCH(QStringList, launches);
        CoreFixture f(registeredSettings({{"general_timout", "0"}, {"Cycle_Minutes", "60"}, {"Print_Normal_Fax", "y"},
                                          {"Normal_Fax_Profile", "Torvex"}, {"GSTN_Fax_Minutes", minutes}}));
        f.installUtility();
        QVERIFY(f.load());
        f.core().Timer1().stop();  // only the ticks of the test
        QVERIFY(f.view.isChecked(Control::Check8));
        QCOMPARE(f.core().state().gRegularFaxInterval, interval);
        for (int tick = 1; tick <= 60; ++tick)
            f.core().schedule().Timer1_Timer();
        QTRY_COMPARE(f.launches().size(), launches.size());
        QTest::qWait(100);
        QCOMPARE(f.launches(), launches);
    }

    void briskoFolderOnlyForBriskoMembersWithFiles()
    {
        struct Case {
            const char* status;
            bool file;
            bool expected;
        };
        for (const Case& k : {Case{"3", true, false}, Case{"4", true, true}, Case{"5", true, true},
                              Case{"5", false, false}}) {
            CoreFixture f(registeredSettings({{"general_timout", "0"}, {"Use_Defaults", k.status}}));
            f.installUtility();
            const QString folder = f.env.path(QStringLiteral("brisko"));
            QDir().mkpath(folder + QStringLiteral("/sub"));
            if (k.file)
                f.env.writeFile(QStringLiteral("brisko/fax.tif"), "II*");
            writeTorvexKey(QStringLiteral("brisko_path"), folder);
            QVERIFY(f.load());
            f.core().Timer1().stop();  // only the ticks of the test
            f.core().schedule().Timer1_Timer();
            if (k.expected) {
                QTRY_COMPARE(f.launches(), QStringList{QStringLiteral("/6")});
            } else {
                QTest::qWait(100);
                QVERIFY2(f.launches().isEmpty(), k.status);
            }
        }
    }

    void failedApplyStartsNothingAndRetriesNextTick()
    {
        CoreFixture f(registeredSettings({{"general_timout", "0"}, {"Cycle_Minutes", "1"}}));
        f.installUtility();
        QVERIFY(f.load());
        f.view.setText(Control::Text6, QString());
        f.view.switchFrame(5);
        f.core().schedule().Timer1_Timer();
        f.core().schedule().Timer1_Timer();
        // Nobody clicked: no box waits, the page stays, the status bar and the
        // Line State box say why nothing ran.
        QVERIFY(f.boxes->texts().isEmpty());
        QCOMPARE(f.view.tab, 5);
        const QString line = f.core().statusBar().myDateTime() + QStringLiteral("  Missing Regular EMail Address!");
        QCOMPARE(f.statusText(), line);
        QCOMPARE(f.view.text(Control::txtStatus), line + QLatin1Char('\n') + line + QLatin1Char('\n'));
        QCOMPARE(f.core().state().countdown, 0);
        QTest::qWait(100);
        QVERIFY(f.launches().isEmpty());
    }

    void statusBarTexts()
    {
        CoreFixture f(registeredSettings({{"general_timout", "0"}, {"Cycle_Minutes", "1"}}));
        QVERIFY(f.load(at(12, 14, 5)));
        const QString prefix = f.core().statusBar().myDateTime();
        QVERIFY2(QRegularExpression(QStringLiteral("^Date : \\S.*  Time : 02:05 PM$"))
                     .match(prefix)
                     .hasMatch(),
                 qPrintable(prefix));
        QCOMPARE(f.statusText(),
                 prefix + QStringLiteral("  Next TORVEX retrieval scheduled in 1 minutes."));
        f.view.setText(Control::Text19, QStringLiteral("0"));
        f.core().schedule().ResetStatusBar();
        QCOMPARE(f.statusText(), prefix + QStringLiteral("  Commencing scheduled TORVEX retrieval ."));
        // No account: the status bar is left alone.
        f.view.setEnabled(Control::Command4, false);
        f.core().statusBar().setText(QStringLiteral("kept"));
        f.core().schedule().ResetStatusBar();
        QCOMPARE(f.statusText(), QStringLiteral("kept"));
    }
};

QTEST_GUILESS_MAIN(TstScheduleEngine)
#include "tst_schedule_engine.moc"
