// The ring wake-up on the real window, against a modem simulated on a
// pseudo-terminal, with a scripted print utility that notes its runs; the
// texts of the line's errors and the bound of the Line State box.
#include "scheduler/line/line_monitor.h"
#include "scheduler/core/program_title.h"
#include "scheduler/launch/print_launcher.h"
#include "scheduler/schedule/schedule_engine.h"
#include "tests/scheduler/support/scheduler_fixture.h"
#include "tests/support/modem_simulator.h"
#include "platform/modem/modem_line_errors.h"
#include "scheduler/line/line_error_text.h"
#include "scheduler/line/status_lines.h"

#include <QFile>
#include <QTimer>
#include <QtTest>

using namespace torvex;
using namespace torvex::test;

namespace {

// Every line the "Line State" box was given, oldest first (the box itself
// is emptied whenever the line is opened again).
class LineStateLog {
public:
    explicit LineStateLog(FakeView& view)
    {
        view.textSet = [this](Control control, const QString& text) {
            if (control != Control::txtStatus)
                return;
            const QString top = text.section(QLatin1Char('\n'), 0, 0);
            if (!top.isEmpty() && text != last_)
                lines << top;
            last_ = text;
        };
    }
    [[nodiscard]] int count(const QString& line) const { return int(lines.count(line)); }
    QStringList lines;

private:
    QString last_;
};

struct WithModem {
    ModemSimulator modem;
};

// A member (by default) whose line monitor watches the simulated modem.
class Scenario : public WithModem, public LineFixture {
public:
    explicit Scenario(const QString& memberStatus = QStringLiteral("2"), QString devices = QString())
        : LineFixture(registeredSettings({{"Use_Defaults", memberStatus},
                                          {"modem_devices", devices.isEmpty() ? modem.slavePath() : devices},
                                          {"print_exe", "fakeprint"}, {"general_timout", "1"}}))
    {
        installUtility(QStringLiteral("fakeprint"));
    }

    bool load()
    {
        if (!LineFixture::load())
            return false;
        log = std::make_unique<LineStateLog>(view);
        return true;
    }

    [[nodiscard]] TelephoneLineMonitor& monitor() { return core().lineMonitor(); }
    [[nodiscard]] QString box() { return view.text(Control::txtStatus); }
    [[nodiscard]] bool waiting() { return box().startsWith(QLatin1String("Waiting for an incoming call...\n")); }

    std::unique_ptr<LineStateLog> log;
};

}  // namespace

class TestLineMonitor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // 8 s of silence end a call in 200 ms, Timer3's 10 s are 250 ms, and a
    // followed run is five polls of 250 ms.
    void initTestCase() { qputenv("TORVEX_TIME_SCALE", "40"); }

    // Loading lists the modems and opens the first line for a member; a
    // base member gets no monitor, and an unreadable device keeps its place.
    void loadingOpensTheFirstLine_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("devices");  // empty: the simulated modem
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("box");
        QTest::newRow("member") << "2" << "" << QStringList{"TORVEX Sim 56K"}
                                << "Waiting for an incoming call...\nLineOpen Successful\n";
        QTest::newRow("base member") << "1" << "" << QStringList{"TORVEX Sim 56K"} << "";
        QTest::newRow("no modem") << "2" << "none" << QStringList() << "";
        QTest::newRow("unreadable device") << "2" << "/dev/torvex-no-modem"
                                           << QStringList{"<<<ERROR>>> DevCaps...No Device"} << "<<LineOpen ERROR>> No Device\n";
    }
    void loadingOpensTheFirstLine()
    {
        QFETCH(QString, status);
        QFETCH(QString, devices);
        QFETCH(QStringList, lines);
        QFETCH(QString, box);
        Scenario s(status, devices);
        QVERIFY(s.load());
        QCOMPARE(s.view.entries(Control::lstLines), lines);
        QCOMPARE(s.box(), box);
        QCOMPARE(s.modem.commands().contains(QStringLiteral("ATE0Q0V1S0=0")), box.startsWith(QLatin1String("Waiting")));
        QVERIFY(s.boxes->shown.empty());
        if (status != QLatin1String("1"))
            return;
        s.monitor().LineMonitor(2);
        QVERIFY(s.box().isEmpty());
    }

    void shortRingWakesTheSchedulerUp()
    {
        Scenario s;
        QVERIFY(s.load());
        s.core().state().countdown = 7;
        s.modem.ring();
        QTRY_COMPARE(s.log->count(QStringLiteral("  Total Wake Ups=1")), 1);
        QCOMPARE(s.launches(), QStringList{QStringLiteral("/3")});
        QCOMPARE(s.monitor().wakeUps(), 1);
        QVERIFY(!s.monitor().wakePending());
        // The countdown starts again from the cycle field.
        QCOMPARE(s.core().state().countdown, 60);
        QCOMPARE(s.view.text(Control::Text19), QStringLiteral("60"));
        QCOMPARE(s.statusText(), s.core().statusBar().myDateTime()
                                            + QStringLiteral("   Wake-Up! Retrieving TORVEXes for 4420712345@TORVEX.NET"));
        QCOMPARE(s.log->lines.mid(0, 4), (QStringList{QStringLiteral("First Ring "), QStringLiteral("Wake Up!"),
                                                      QStringLiteral("Line Dropped and Closed"), QStringLiteral("  Total Wake Ups=1")}));
        // After Timer3's wait the line is open again, and the next short
        // call counts on.
        QTRY_VERIFY2(s.waiting(), qPrintable(s.log->lines.join(QLatin1Char('|'))));
        s.modem.ring();
        QTRY_COMPARE(s.log->count(QStringLiteral("  Total Wake Ups=2")), 1);
        QCOMPARE(s.launches().size(), 2);
    }

    // The ring's retrieval cannot start: it says so in the status bar and
    // the Line State box, and no box waits for anyone.
    void aWakeUpWaitsOnNoBox()
    {
        Scenario s;
        QVERIFY(s.load());
        QVERIFY(QFile::remove(s.core().state().gShellPath));
        s.modem.ring();
        const QString notice = s.core().statusBar().myDateTime()
            + QStringLiteral("  Set Up Error ! Missing TORVEX Print Utility.");
        QTRY_COMPARE(s.log->count(notice), 1);
        QCOMPARE(s.statusText(), notice);
        QVERIFY(s.boxes->shown.empty());
    }

    void threeRingsAreAFaxCall()
    {
        Scenario s;
        QVERIFY(s.load());
        for (int ring = 0; ring < 3; ++ring) {
            s.modem.ring();
            QTest::qWait(80);
        }
        QTRY_COMPARE(s.log->count(QStringLiteral("  On-hook at ring 3")), 1);
        QCOMPARE(s.log->count(QStringLiteral("Start Fax!")), 1);
        QCOMPARE(s.log->count(QStringLiteral("Wake Up!")), 0);
        const qsizetype fax = s.log->lines.indexOf(QStringLiteral("Start Fax!"));
        QCOMPARE(s.log->lines.indexOf(QStringLiteral("First Ring ")), fax - 1);
        QTRY_VERIFY2(s.waiting(), qPrintable(s.log->lines.join(QLatin1Char('|'))));
        QVERIFY(s.launches().isEmpty());
        QCOMPARE(s.monitor().wakeUps(), 0);
        QVERIFY(!s.monitor().wakePending());
    }

    void wakeUpDuringARetrievalStartsNoSecond()
    {
        Scenario s;
        QVERIFY(s.load());
        QVERIFY(s.view.isChecked(Control::Option2));  // the line reopens only after the run
        // The call comes and goes while the launcher follows a retrieval.
        QTimer::singleShot(100, &s.core(), [&] { s.modem.ring(); });
        s.core().launcher().shellIt(QStringLiteral("0"));
        QCOMPARE(s.log->count(QStringLiteral("Wake Up!")), 1);
        QVERIFY(s.statusText().endsWith(
            QLatin1String("Wake-Up! Retrieving TORVEXes for 4420712345@TORVEX.NET")));
        QCOMPARE(s.log->count(QStringLiteral("  Total Wake Ups=1")), 0);
        QCOMPARE(s.log->count(QStringLiteral("LineOpen Successful")), 0);  // not while the run went on
        QTRY_VERIFY2(s.waiting(), qPrintable(s.log->lines.join(QLatin1Char('|'))));
        QCOMPARE(s.launches(), QStringList{QStringLiteral("/0")});
        QCOMPARE(s.monitor().wakeUps(), 0);
    }

    // A line the user left unselected is worth saying.
    void noLineSelected()
    {
        Scenario s;
        QVERIFY(s.load());
        s.monitor().LineMonitor(2);
        s.view.setCurrentIndex(Control::lstLines, -1);
        s.monitor().LineMonitor(0);
        QCOMPARE(s.boxes->texts(), QStringList{QStringLiteral("Select a line first!")});
        QCOMPARE(s.boxes->shown.front().icon, MsgIcon::Information);
        QCOMPARE(s.boxes->shown.front().caption, programTitle());
    }

    void vanishedModemClosesTheLineForGood()
    {
        Scenario s;
        QVERIFY(s.load());
        s.modem.ring();
        QTRY_COMPARE(s.log->count(QStringLiteral("First Ring ")), 1);
        s.modem.unplug();
        QTRY_COMPARE(s.log->count(QStringLiteral("Line Dropped and Closed")), 1);
        QTest::qWait(600);  // longer than the silence and the reopening wait
        QCOMPARE(s.log->count(QStringLiteral("Wake Up!")), 0);
        QCOMPARE(s.log->count(QStringLiteral("LineOpen Successful")), 0);
        QVERIFY(s.launches().isEmpty());
    }

    void unloadingClosesTheLine()
    {
        Scenario s;
        QVERIFY(s.load());
        s.core().Form_Unload();
        QCOMPARE(s.log->lines.value(s.log->lines.size() - 1), QStringLiteral("Line Dropped and Closed"));
        s.modem.ring();
        QTest::qWait(400);
        QCOMPARE(s.log->count(QStringLiteral("First Ring ")), 0);
    }

    void errorTextsFollowTapisNumbering()
    {
        // The ends of the numbering and either side of a gap; the codes the
        // modem line itself returns read as TAPI's would.
        const std::pair<qint32, const char*> texts[] = {
            {lineerr::code(0x80000001u), "Allocated"}, {lineerr::code(0x80000024u), "Invalid Device Handle"},
            {lineerr::code(0x80000026u), "Invalid Digit List"}, {lineerr::code(0x80000056u), "No Multiple Instance"},
            {lineerr::OPERATIONFAILED, "Operation Failed"}, {lineerr::INUSE, "In Use"},
            {lineerr::RESOURCEUNAVAIL, "Resource Unavailable"}, {lineerr::UNINITIALIZED, "Uninitialized"},
            {lineerr::BADDEVICEID, "Bad Device ID"}};
        for (const auto& [code, text] : texts)
            QCOMPARE(LineErrorText(code), QString::fromLatin1(text));
        // Gaps in the numbering and strangers have no text.
        for (quint32 code : {0x80000004u, 0x80000025u, 0x80000031u, 0x80000000u, 0x80000057u, 0u, 1u,
                             0xFFFFFFFFu})
            QVERIFY2(LineErrorText(lineerr::code(code)).isEmpty(), qPrintable(QString::number(code, 16)));
        int withText = 0;
        for (quint32 code = 0x80000001u; code <= 0x80000056u; ++code)
            withText += LineErrorText(lineerr::code(code)).isEmpty() ? 0 : 1;
        QCOMPARE(withText, 0x56 - 3);
    }

    void statusBoxKeepsItsNewestLines()
    {
        QString box;
        for (int i = 1; i <= kStatusLineLimit + 5; ++i)
            box = prependedStatusLine(box, QString::number(i));
        const QStringList lines = box.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), kStatusLineLimit);
        QCOMPARE(lines.first(), QString::number(kStatusLineLimit + 5));
        QCOMPARE(lines.last(), QStringLiteral("6"));
    }

};

QTEST_GUILESS_MAIN(TestLineMonitor)
#include "tst_line_monitor.moc"
