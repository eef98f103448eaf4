#pragma once

#include "platform/modem/modem_line.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace torvex {

class MessageBoxes;
class PrintLauncher;
class ScheduleEngine;
class SchedulerView;
class StatusBar;
struct SchedulerState;

// The settings key naming the modems to watch, comma-separated device paths
// (for example "/dev/ttyACM0"); when it is empty the serial ports are probed
// for modems, and "none" watches no line at all.
inline constexpr auto kModemDevicesKey = "modem_devices";

// The telephone-line monitor: for members of the service a call that ends
// before its third ring wakes the scheduler and starts a retrieval at once.
// It watches the line through the line control (Tapiline1) and writes its
// progress, newest first, into the "Line State" box.
class TelephoneLineMonitor final : public QObject {
    Q_OBJECT
public:
    TelephoneLineMonitor(SchedulerView& view, SchedulerState& state, StatusBar& status,
                         MessageBoxes& boxes, QTimer& timer3, PrintLauncher& launcher,
                         ScheduleEngine& schedule);

    void ClearHandles();
    void TapiStart();
    void TapiGetDevCaps();  // fills lstLines
    // 0 opens the selected line and waits for calls, 2 drops any call and
    // closes the line.
    void LineMonitor(int index);
    // Window unload, after LineMonitor(2): close and shut the line control down.
    void shutDown();

    // The line control's notification.
    void Tapiline1_LineCallback(qint32 hDevice, qint32 dwMessage, qint32 dwCallbackInstance,
                                qint32 dwParam1, qint32 dwParam2, qint32 dwParam3);

    [[nodiscard]] bool wakePending() const { return gWakePending_; }
    [[nodiscard]] int wakeUps() const { return wakeUps_; }

private:
    void status(const QString& text);
    void callOver();
    // After a call: Timer3's wait, then the line is opened again.
    void reopenAfterCall();
    void onTimer3();

    SchedulerView& view_;
    SchedulerState& state_;
    StatusBar& status_;
    MessageBoxes& boxes_;
    QTimer& timer3_;
    PrintLauncher& launcher_;
    ScheduleEngine& schedule_;
    ModemLine line_;
    bool gWakePending_ = false;
    int wakeUps_ = 0;  // since the window was loaded
    qint32 ringsOfCall_ = 0;
    bool reopenPending_ = false;
    QTimer runWatch_;
};

}  // namespace torvex
