#pragma once

#include <QObject>
#include <QString>

class QTimer;

namespace torvex {

class Clock;
class DialUpConnection;
class MessageBoxes;
class SchedulerView;
class ServiceAccount;
class StatusBar;
struct SchedulerState;

// Starts the print utility as a separate process for one run and follows
// it through the hand-over keys (VXPrint, print_status, last_error) in
// 10-second steps on Timer2, keeping the event loop running.
class PrintLauncher final : public QObject {
    Q_OBJECT
public:
    PrintLauncher(const Clock& clock, SchedulerView& view, SchedulerState& state,
                  StatusBar& status, MessageBoxes& boxes, QTimer& timer2, DialUpConnection& dialUp,
                  ServiceAccount& account)
        : clock_(clock), view_(view), state_(state), status_(status), boxes_(boxes),
          timer2_(timer2), dialUp_(dialUp), account_(account)
    {
    }

    // kind: "0" scheduled or manual, "1" regular faxes, "2" test message,
    // "3" ring wake-up, "6" Brisko folder.
    void shellIt(const QString& flg);
    void Timer2_Timer();
    void errorsignal_Click();

    // True while shellIt follows a run.
    [[nodiscard]] bool running() const { return running_; }

Q_SIGNALS:
    // A run of the print utility was started, and has ended (finished: it
    // said "quit" within the time allowed); kind as shellIt's.
    void runStarted(const QString& kind);
    void runEnded(const QString& kind, bool finished);
    // The window's caption: the program title, with " Halted !" after a
    // run that reported an error.
    void captionChanged(const QString& caption);

private:
    void finish(const QString& flg);
    void showPrintStatus();

    const Clock& clock_;
    SchedulerView& view_;
    SchedulerState& state_;
    StatusBar& status_;
    MessageBoxes& boxes_;
    QTimer& timer2_;
    DialUpConnection& dialUp_;
    ServiceAccount& account_;
    bool running_ = false;
};

}  // namespace torvex
