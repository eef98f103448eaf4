// The once-a-minute schedule with a fixed clock and the time scale; the
// print utility is a script that notes each start.
#include "form_fixture.h"
#include "scheduler/print_launcher.h"
#include "scheduler/schedule_engine.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace torvex;
using namespace torvex::test;

class TstScheduleEngine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void dailyWindow();
    void cycleOfOneStartsARunEveryTick_data();
    void cycleOfOneStartsARunEveryTick();
    void countdownAtZeroOutsideHoursWaitsForTheWindow();
    void regularFaxesRideOnTheCountdown();
    void regularFaxIntervalZeroIsSkipped();
    void briskoFolderOnlyForBriskoMembersWithFiles();
    void failedApplyStartsNothingAndRetriesNextTick();
    void statusBarTexts();
    void realTimerTicksUnderTheTimeScale();
};

namespace {

// A print utility that notes its switch and ends at once.
void installRecordingUtility(FormFixture& f)
{
    f.env.writeFile(QStringLiteral("vxprintu"),
                    "#!/bin/sh\necho \"$1\" >> \"$TORVEX_HOME/launches.log\"\n");
    QFile::setPermissions(f.env.path(QStringLiteral("vxprintu")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QStringList launches(FormFixture& f)
{
    return QString::fromUtf8(f.env.readFile(QStringLiteral("launches.log")))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QMap<QString, QString> settingsWith(std::initializer_list<std::pair<const char*, const char*>> extra)
{
    QMap<QString, QString> s = registeredSettings();
    s.insert(QStringLiteral("general_timout"), QStringLiteral("0"));  // 5 polls per run
    for (const auto& [key, value] : extra)
        s.insert(QString::fromLatin1(key), QString::fromLatin1(value));
    return s;
}

QDateTime at(int day, int hour, int minute)
{
    return QDateTime(QDate(2024, 3, day), QTime(hour, minute));
}

}  // namespace

void TstScheduleEngine::initTestCase()
{
    qputenv("TORVEX_TIME_SCALE", "600");
}

void TstScheduleEngine::dailyWindow()
{
    FormFixture f(settingsWith({{"Start_Time", "8"}, {"Stop_Time", "17"}}));
    QVERIFY(f.load(at(12, 7, 59)));
    ScheduleEngine& engine = f.form().schedule();
    QVERIFY(!engine.IsTime());
    f.clock->set(at(12, 8, 0));
    QVERIFY(engine.IsTime());
    f.clock->set(at(12, 16, 59));
    QVERIFY(engine.IsTime());
    f.clock->set(at(12, 17, 0));
    QVERIFY(!engine.IsTime());
    // A window crossing midnight is never open.
    f.c().Text10->setText(QStringLiteral("22"));
    f.c().Text11->setText(QStringLiteral("6"));
    f.clock->set(at(12, 23, 0));
    QVERIFY(!engine.IsTime());
}

void TstScheduleEngine::cycleOfOneStartsARunEveryTick_data()
{
    QTest::addColumn<QString>("printer");
    QTest::newRow("printer saved") << "Office_Laser";
    QTest::newRow("no printer") << "";
}

void TstScheduleEngine::cycleOfOneStartsARunEveryTick()
{
    QFETCH(QString, printer);
    FormFixture f(settingsWith({{"Cycle_Minutes", "1"}}));
    writeTorvexKey(QStringLiteral("Printer_Type"), printer);
    installRecordingUtility(f);
    QVERIFY(f.load());
    f.c().Timer1->stop();  // only the ticks of the test
    QCOMPARE(f.form().state().countdown, 1);
    for (int tick = 1; tick <= 3; ++tick) {
        f.form().schedule().Timer1_Timer();
        QTRY_COMPARE(launches(f).size(), tick);
        QCOMPARE(f.form().state().countdown, 1);
    }
    QCOMPARE(launches(f), (QStringList{QStringLiteral("/0"), QStringLiteral("/0"),
                                       QStringLiteral("/0")}));
    QVERIFY(f.boxes->texts().isEmpty());
    if (!printer.isEmpty())
        return;
    // Without a printer nobody was asked: the runs retrieve unprinted, say
    // so, and the question waits for the user's own Apply.
    QVERIFY(f.c().txtStatus->toPlainText().startsWith(
        f.form().schedule().myDateTime()
        + QStringLiteral("  TORVEXes will be retrieved but will not be printed until you specify a printer.")));
    f.boxes->answers = {MsgAnswer::No};
    f.c().Command1->click();
    QCOMPARE(f.boxes->texts().size(), 2);
}

void TstScheduleEngine::countdownAtZeroOutsideHoursWaitsForTheWindow()
{
    FormFixture f(settingsWith({{"Cycle_Minutes", "5"}, {"Start_Time", "8"}, {"Stop_Time", "17"}}));
    installRecordingUtility(f);
    QVERIFY(f.load(at(12, 18, 29)));
    f.c().Timer1->stop();  // only the ticks of the test
    f.form().state().countdown = 1;
    f.clock->set(at(12, 18, 30));
    f.form().schedule().Timer1_Timer();
    QCOMPARE(f.form().state().countdown, 0);
    QCOMPARE(f.c().Text19->text(), QString::number((24 - 18 + 8) * 60 - 30));
    QVERIFY(f.form().statusText().endsWith(
        QStringLiteral("  Next TORVEX retrieval scheduled in 810 minutes.")));

    f.clock->set(at(13, 7, 59));
    f.form().schedule().Timer1_Timer();
    QCOMPARE(f.c().Text19->text(), QStringLiteral("1"));
    QTest::qWait(100);
    QVERIFY(launches(f).isEmpty());

    f.clock->set(at(13, 8, 0));
    f.form().schedule().Timer1_Timer();
    QTRY_COMPARE(launches(f), QStringList{QStringLiteral("/0")});
    QCOMPARE(f.form().state().countdown, 5);
    QCOMPARE(f.c().Text19->text(), QStringLiteral("5"));
}

void TstScheduleEngine::regularFaxesRideOnTheCountdown()
{
    FormFixture f(settingsWith({{"Cycle_Minutes", "60"}, {"GSTN_Fax_Minutes", "15"},
                                {"Print_Normal_Fax", "y"}, {"Normal_Fax_Profile", "Torvex"}}));
    installRecordingUtility(f);
    QVERIFY(f.load());
    f.c().Timer1->stop();  // only the ticks of the test
    QVERIFY(f.c().Check8->isChecked());
    for (int tick = 1; tick <= 60; ++tick)
        f.form().schedule().Timer1_Timer();
    QTRY_COMPARE(launches(f).size(), 4);
    // Ticks 15 and 30 leave the countdown at 45 and 30; tick 60 starts the
    // scheduled run, reloads 60 and checks regular faxes in the same tick.
    QCOMPARE(launches(f), (QStringList{QStringLiteral("/1"), QStringLiteral("/1"),
                                       QStringLiteral("/0"), QStringLiteral("/1")}));
}

void TstScheduleEngine::regularFaxIntervalZeroIsSkipped()
{
    FormFixture f(settingsWith({{"GSTN_Fax_Minutes", ""}, {"Print_Normal_Fax", "y"}}));
    installRecordingUtility(f);
    QVERIFY(f.load());
    QCOMPARE(f.form().state().gRegularFaxInterval, 0);
    for (int tick = 0; tick < 5; ++tick)
        f.form().schedule().Timer1_Timer();
    QTest::qWait(100);
    QVERIFY(launches(f).isEmpty());
}

void TstScheduleEngine::briskoFolderOnlyForBriskoMembersWithFiles()
{
    struct Case {
        const char* status;
        bool file;
        bool expected;
    };
    for (const Case& k : {Case{"3", true, false}, Case{"4", true, true}, Case{"5", true, true},
                          Case{"5", false, false}}) {
        FormFixture f(settingsWith({{"Use_Defaults", k.status}}));
        installRecordingUtility(f);
        const QString folder = f.env.path(QStringLiteral("brisko"));
        QDir().mkpath(folder + QStringLiteral("/sub"));
        if (k.file)
            f.env.writeFile(QStringLiteral("brisko/fax.tif"), "II*");
        writeTorvexKey(QStringLiteral("brisko_path"), folder);
        QVERIFY(f.load());
        f.c().Timer1->stop();  // only the ticks of the test
        f.form().schedule().Timer1_Timer();
        if (k.expected) {
            QTRY_COMPARE(launches(f), QStringList{QStringLiteral("/6")});
        } else {
            QTest::qWait(100);
            QVERIFY2(launches(f).isEmpty(), k.status);
        }
    }
}

void TstScheduleEngine::failedApplyStartsNothingAndRetriesNextTick()
{
    FormFixture f(settingsWith({{"Cycle_Minutes", "1"}}));
    installRecordingUtility(f);
    QVERIFY(f.load());
    f.c().Text6->clear();
    f.form().switchFrame(5);
    f.form().schedule().Timer1_Timer();
    f.form().schedule().Timer1_Timer();
    // Nobody clicked: no box waits, the page stays, the status bar and the
    // Line State box say why nothing ran.
    QVERIFY(f.boxes->texts().isEmpty());
    QCOMPARE(f.form().state().currentPage, 4);
    const QString line = f.form().schedule().myDateTime() + QStringLiteral("  Missing Regular EMail Address!");
    QCOMPARE(f.form().statusText(), line);
    QCOMPARE(f.c().txtStatus->toPlainText(), line + QLatin1Char('\n') + line + QLatin1Char('\n'));
    QCOMPARE(f.form().state().countdown, 0);
    QTest::qWait(100);
    QVERIFY(launches(f).isEmpty());
}

void TstScheduleEngine::statusBarTexts()
{
    FormFixture f(settingsWith({{"Cycle_Minutes", "1"}}));
    QVERIFY(f.load(at(12, 14, 5)));
    const QString prefix = f.form().schedule().myDateTime();
    QVERIFY2(QRegularExpression(QStringLiteral("^Date : \\S.*  Time : 02:05 PM$"))
                 .match(prefix)
                 .hasMatch(),
             qPrintable(prefix));
    QCOMPARE(f.form().statusText(),
             prefix + QStringLiteral("  Next TORVEX retrieval scheduled in 1 minutes."));
    f.c().Text19->setText(QStringLiteral("0"));
    f.form().schedule().ResetStatusBar();
    QCOMPARE(f.form().statusText(), prefix + QStringLiteral("  Commencing scheduled TORVEX retrieval ."));
    // No account: the status bar is left alone.
    f.c().Command4->setEnabled(false);
    f.form().setStatusText(QStringLiteral("kept"));
    f.form().schedule().ResetStatusBar();
    QCOMPARE(f.form().statusText(), QStringLiteral("kept"));
}

void TstScheduleEngine::realTimerTicksUnderTheTimeScale()
{
    FormFixture f(settingsWith({{"Cycle_Minutes", "1"}}));
    installRecordingUtility(f);
    QVERIFY(f.load());
    QTimer* tick = f.c().Timer1;
    QVERIFY(tick->isActive());
    QCOMPARE(tick->interval(), 100);  // 60 s at scale 600
    QTRY_VERIFY_WITH_TIMEOUT(launches(f).size() >= 3, 10000);
}

QTEST_MAIN(TstScheduleEngine)
#include "tst_schedule_engine.moc"
