#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

namespace torvex {

class ModemLineDevice;

// The telephone-line control: TAPI's line model over AT-command modems.
// The line devices are serial modems; a line name is what the modem calls
// itself. An open line never answers: it counts the modem's "RING" result
// codes and reports them as TAPI line notifications, delivered through the
// event loop like TAPI's own callbacks.
//
// A call is over when no ring has come for kCallEndSilenceMs. Rings repeat
// every 6 s in North America (2 s on, 4 s off), every 3 s in the UK and
// Australia (0.4-0.2-0.4 s on, 2 s off) and every 5 s in most of Europe
// (1 s on, 4 s off, or 1.5 s on, 3.5 s off); 8 s of silence is longer than
// any of those gaps and short enough to start a wake-up promptly.
class ModemLine final : public QObject {
    Q_OBJECT
public:
    // TAPI's numbers for the messages and values this control uses.
    static constexpr qint32 LINE_CALLSTATE = 2;
    static constexpr qint32 LINE_CLOSE = 3;
    static constexpr qint32 LINE_LINEDEVSTATE = 8;
    static constexpr qint32 LINECALLSTATE_IDLE = 0x1;
    static constexpr qint32 LINECALLSTATE_OFFERING = 0x2;
    static constexpr qint32 LINEDEVSTATE_RINGING = 0x4;
    static constexpr qint32 LINECALLPRIVILEGE_MONITOR = 0x2;
    static constexpr qint32 LINECALLPRIVILEGE_OWNER = 0x4;
    static constexpr qint32 LINEMEDIAMODE_INTERACTIVEVOICE = 0x4;
    static constexpr qint32 kApiVersion = 0x10004;  // 1.4, the newest this control speaks

    static constexpr int kCallEndSilenceMs = 8000;

    // The control's handle properties, as the program sees them: set by
    // lineInitialize and lineOpen, the call handle by the program from a
    // notification; ClearHandles zeroes them.
    struct Handles {
        qint32 app = 0;
        qint32 line = 0;
        qint32 call = 0;
    };

    explicit ModemLine(QObject* parent = nullptr);
    ~ModemLine() override;

    // The line devices are the given serial ports, in their order.
    qint32 lineInitialize(const QStringList& ports);
    [[nodiscard]] qint32 numDevices() const { return qint32(ports_.size()); }
    [[nodiscard]] QString devicePort(qint32 device) const;
    qint32 lineNegotiateAPIVersion(qint32 device, qint32 low, qint32 high, qint32& version) const;
    qint32 lineGetDevCaps(qint32 device, QString& lineName);
    qint32 lineOpen(qint32 device, qint32 privileges, qint32 mediaModes);
    qint32 lineDrop();
    qint32 lineClose();
    qint32 lineDeallocateCall();
    qint32 lineShutdown();

    Handles handles;

Q_SIGNALS:
    // TAPI's line callback: device handle (the call for LINE_CALLSTATE, the
    // line otherwise), message, callback instance, three parameters. For a
    // ring, parameter 3 is the ring's number within the call.
    void lineCallback(qint32 hDevice, qint32 message, qint32 callbackInstance, qint32 param1,
                      qint32 param2, qint32 param3);

private:
    void onRing();
    void onSilence();
    void onVanished();
    void post(qint32 hDevice, qint32 message, qint32 param1, qint32 param3);
    void endCall();

    QStringList ports_;
    bool initialized_ = false;  // not the handle: the program may clear that
    std::unique_ptr<ModemLineDevice> device_;  // the open line
    qint32 openLine_ = 0;
    qint32 currentCall_ = 0;
    qint32 lastCall_ = 0;
    qint32 rings_ = 0;
    quint64 generation_ = 0;  // notifications of a closed line are not delivered
    QTimer silence_;
};

}  // namespace torvex
