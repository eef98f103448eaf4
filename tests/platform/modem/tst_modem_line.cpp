#include "platform/modem/modem_line.h"
#include "platform/modem/modem_line_device.h"
#include "platform/modem/modem_line_errors.h"
#include "platform/modem/modem_line_probe.h"
#include "tests/support/modem_simulator.h"

#include <QSignalSpy>
#include <QtTest>

using namespace torvex;
using torvex::test::ModemSimulator;

namespace {

// One notification: the device handle, the message, its first and third
// parameters.
struct Note {
    qint32 device, message, param1, param3;
    bool operator==(const Note&) const = default;
};

QList<Note> notes(const QSignalSpy& spy)
{
    QList<Note> out;
    for (const QList<QVariant>& args : spy)
        out.push_back({args[0].toInt(), args[1].toInt(), args[3].toInt(), args[5].toInt()});
    return out;
}

constexpr qint32 kCallState = ModemLine::LINE_CALLSTATE;
constexpr qint32 kDevState = ModemLine::LINE_LINEDEVSTATE;
constexpr qint32 kOffering = ModemLine::LINECALLSTATE_OFFERING;
constexpr qint32 kIdle = ModemLine::LINECALLSTATE_IDLE;
constexpr qint32 kRinging = ModemLine::LINEDEVSTATE_RINGING;

// A line open on a simulated modem, with its notifications recorded.
struct OpenLine {
    OpenLine()
    {
        line.lineInitialize({modem.slavePath()});
        isOpen = line.lineOpen(0, ModemLine::LINECALLPRIVILEGE_OWNER | ModemLine::LINECALLPRIVILEGE_MONITOR,
                               ModemLine::LINEMEDIAMODE_INTERACTIVEVOICE)
            == 0;
    }
    ModemSimulator modem;
    ModemLine line;
    QSignalSpy spy{&line, &ModemLine::lineCallback};
    bool isOpen = false;
};

}  // namespace

// The line layer against a modem simulated on a pseudo-terminal. The time
// scale makes the 8-second end-of-call silence 400 ms.
class TestModemLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qputenv("TORVEX_TIME_SCALE", "20"); }

    void probeFindsOnlyPortsThatAnswerOk()
    {
        ModemSimulator modem;
        ModemSimulator mute;
        mute.setMode(ModemSimulator::Mode::Silent);
        const QStringList found = findModems({mute.slavePath(), QStringLiteral("/dev/torvex-none"),
                                              modem.slavePath(), QStringLiteral("/dev/null")},
                                             300);
        QCOMPARE(found, QStringList{modem.slavePath()});
    }

    void lineNamesComeFromTheModems()
    {
        ModemSimulator gmm(QStringLiteral("USR Courier V.Everything"));
        ModemSimulator ati(QStringLiteral("Rockwell 33.6"));
        ati.setGmmUnsupported(true);
        ModemSimulator mute;
        mute.setMode(ModemSimulator::Mode::Silent);
        ModemLine line;
        QCOMPARE(line.lineInitialize({gmm.slavePath(), ati.slavePath(), mute.slavePath(),
                                      QStringLiteral("/dev/torvex-none")}),
                 0);
        QCOMPARE(line.numDevices(), 4);
        QString name;
        QCOMPARE(line.lineGetDevCaps(0, name), 0);
        QCOMPARE(name, QStringLiteral("USR Courier V.Everything"));
        QCOMPARE(line.lineGetDevCaps(1, name), 0);
        QCOMPARE(name, QStringLiteral("Rockwell 33.6 (ATI)"));
        QCOMPARE(line.lineGetDevCaps(2, name), lineerr::NODEVICE);
        QCOMPARE(line.lineGetDevCaps(3, name), lineerr::NODEVICE);
        QCOMPARE(line.lineGetDevCaps(4, name), lineerr::BADDEVICEID);
        qint32 version = 0;
        QCOMPARE(line.lineNegotiateAPIVersion(0, 0x10000, 0x10004, version), 0);
        QCOMPARE(version, 0x10004);
        QCOMPARE(line.lineNegotiateAPIVersion(0, 0x20000, 0x30000, version),
                 lineerr::INCOMPATIBLEAPIVERSION);
    }

    void openingNeedsAnInitialisedLayerAndAWillingModem()
    {
        ModemSimulator modem;
        ModemLine line;
        QCOMPARE(line.lineOpen(0, 6, 4), lineerr::UNINITIALIZED);
        line.lineInitialize({modem.slavePath()});
        QCOMPARE(line.lineOpen(1, 6, 4), lineerr::BADDEVICEID);
        QCOMPARE(line.lineOpen(0, 0, 4), lineerr::INVALPRIVSELECT);
        modem.setMode(ModemSimulator::Mode::Error);
        QCOMPARE(line.lineOpen(0, 6, 4), lineerr::OPERATIONFAILED);
        modem.setMode(ModemSimulator::Mode::Answer);
        QCOMPARE(line.lineOpen(0, 6, 4), 0);
        QVERIFY(line.handles.line != 0);
        QCOMPARE(line.lineOpen(0, 6, 4), lineerr::ALLOCATED);
        // Opening puts the modem into "report rings, never answer".
        QVERIFY(modem.commands().contains(QStringLiteral("ATE0Q0V1S0=0")));
        QCOMPARE(line.lineClose(), 0);
        QCOMPARE(line.lineClose(), lineerr::INVALLINEHANDLE);
        // The program zeroes the handles after a close; the line stays usable.
        line.handles = {};
        QCOMPARE(line.lineOpen(0, 6, 4), 0);
        QCOMPARE(line.lineShutdown(), 0);
        QCOMPARE(line.numDevices(), 0);
    }

    // A ring offers a call on its own handle and counts its rings; the
    // silence after the last ring ends it. The next call has a new handle.
    void ringsOfOneCallAreCounted()
    {
        OpenLine open;
        QVERIFY(open.isOpen);
        const qint32 line = open.line.handles.line;
        open.modem.ring();
        QTRY_COMPARE(open.spy.size(), 2);
        const qint32 call = notes(open.spy)[0].device;
        QVERIFY(call != 0);
        for (int i = 0; i < 2; ++i) {
            QTest::qWait(150);  // 3 s between rings, as in the UK
            open.modem.ring();
        }
        QTRY_COMPARE(open.spy.size(), 4);
        QTest::qWait(200);  // half the silence: the call is not over yet
        QCOMPARE(open.spy.size(), 4);
        QTRY_COMPARE(open.spy.size(), 5);
        QCOMPARE(notes(open.spy), (QList<Note>{{call, kCallState, kOffering, 0}, {line, kDevState, kRinging, 1},
                                               {line, kDevState, kRinging, 2}, {line, kDevState, kRinging, 3},
                                               {call, kCallState, kIdle, 0}}));
        open.line.handles.call = call;
        QCOMPARE(open.line.lineDeallocateCall(), 0);
        QCOMPARE(open.line.lineDeallocateCall(), lineerr::INVALCALLHANDLE);

        open.modem.ring();
        QTRY_COMPARE(open.spy.size(), 7);
        const QList<Note> next = notes(open.spy);
        QVERIFY(next[5].device != call);
        QCOMPARE(next[6], (Note{line, kDevState, kRinging, 1}));
    }

    void closedLineDeliversNothingMore()
    {
        OpenLine open;
        QVERIFY(open.isOpen);
        open.modem.ring();
        QTRY_COMPARE(open.spy.size(), 2);
        QCOMPARE(open.line.lineClose(), 0);
        open.modem.ring();
        QTest::qWait(600);
        QCOMPARE(open.spy.size(), 2);  // neither the end of the old call nor the new ring

        // Reopened, the line hears the modem again.
        QCOMPARE(open.line.lineOpen(0, 6, 4), 0);
        open.modem.ring();
        QTRY_COMPARE(open.spy.size(), 4);
        QCOMPARE(notes(open.spy)[3].param3, 1);
    }

    void ringDuringACommandIsNotLost()
    {
        ModemSimulator modem;
        ModemLineDevice device(modem.slavePath());
        QCOMPARE(device.open(), 0);
        QSignalSpy rings(&device, &ModemLineDevice::ring);
        modem.ring();
        QTest::qWait(50);
        QCOMPARE(device.command("AT", 1000), ModemLineDevice::Reply::Ok);
        QTRY_COMPARE(rings.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestModemLine)
#include "tst_modem_line.moc"
