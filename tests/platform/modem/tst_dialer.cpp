#include "platform/modem/dialer.h"
#include "tests/support/fake_nmcli.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

using namespace torvex;
using torvex::test::FakeNmcli;

// The dial-up layer against a stand-in nmcli on PATH. Under the time scale
// the state is polled every 100 ms.
class TestDialer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qputenv("TORVEX_TIME_SCALE", "50"); }

    // Names with the characters nmcli's terse output escapes (":" and a backslash).
    void profilesAreThePhoneBookInNmclisOrder()
    {
        FakeNmcli nmcli;
        nmcli.setProfiles({QStringLiteral("Wired connection 1"), QStringLiteral("ISP: night rate"),
                           QStringLiteral("Demon \\ dial")});
        Dialer dialer;
        QVERIFY(dialer.isInstalled());
        QCOMPARE(dialer.phoneBookEntries(),
                 (QStringList{QStringLiteral("Wired connection 1"), QStringLiteral("ISP: night rate"),
                              QStringLiteral("Demon \\ dial")}));
    }

    // What the link's coming and going tells the window is the dial-up
    // connection's test.
    void connectRunsInTheBackground()
    {
        FakeNmcli nmcli;
        nmcli.setUpActivates(true, 0.5);
        Dialer dialer;
        dialer.setPhoneEntry(QStringLiteral("ISP"));
        QSignalSpy up(&dialer, &Dialer::connected);
        QElapsedTimer clock;
        clock.start();
        dialer.Connect();
        QVERIFY(clock.elapsed() < 300);  // dialling never holds up the window
        QVERIFY(!dialer.Connected());
        QTRY_COMPARE(up.size(), 1);
        QVERIFY(dialer.Connected());
    }

    void linkDroppedElsewhereIsNoticed()
    {
        FakeNmcli nmcli;
        nmcli.setActive(QStringLiteral("ISP"), QStringLiteral("activated"));
        Dialer dialer;
        dialer.refresh();
        dialer.setPhoneEntry(QStringLiteral("ISP"));
        QVERIFY(dialer.Connected());
        QSignalSpy down(&dialer, &Dialer::disconnected);
        nmcli.setActive(QStringLiteral("ISP"), QString());
        QTRY_COMPARE(down.size(), 1);
        QCOMPARE(dialer.statusText(), QStringLiteral("Disconnected"));
    }

    void hangUpWinsOverADialStillRunning()
    {
        FakeNmcli nmcli;
        nmcli.setUpActivates(true, 5);
        Dialer dialer;
        dialer.setPhoneEntry(QStringLiteral("ISP"));
        QSignalSpy up(&dialer, &Dialer::connected);
        dialer.Connect();
        QTRY_VERIFY(nmcli.calls().contains(QStringLiteral("connection up id ISP")));
        dialer.HangUp();
        QTRY_VERIFY(nmcli.calls().contains(QStringLiteral("connection down id ISP")));
        QTest::qWait(300);
        QCOMPARE(up.size(), 0);
        QVERIFY(!dialer.Connected());
    }
};

QTEST_GUILESS_MAIN(TestDialer)
#include "tst_dialer.moc"
