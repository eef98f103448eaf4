#pragma once

#include <QString>

namespace torvex {

class Clock;
class MessageBoxes;
class PrintLauncher;
class SchedulerView;
class SettingsApply;
class StatusBar;
struct SchedulerState;

// The once-a-minute schedule: counts down Cycle_Minutes inside the daily
// hours, launches scheduled, Brisko-folder and regular-fax runs, and keeps
// the countdown field Text19 and the status bar current. Reads the fields of
// the schedule page (not the saved settings) and the time from the clock.
class ScheduleEngine {
public:
    ScheduleEngine(const Clock& clock, SchedulerView& view, SchedulerState& state,
                   StatusBar& status, MessageBoxes& boxes, SettingsApply& settings,
                   PrintLauncher& launcher)
        : clock_(clock), view_(view), state_(state), status_(status), boxes_(boxes),
          settings_(settings), launcher_(launcher)
    {
    }

    void Timer1_Timer();
    [[nodiscard]] bool IsTime() const;
    [[nodiscard]] QString GetNextMinutes();
    void ResetCountdown();
    void ResetStatusBar();

    // True when the Brisko folder holds at least one ordinary file.
    [[nodiscard]] static bool briskoFilesWaiting(const QString& briskoPath);

private:
    const Clock& clock_;
    SchedulerView& view_;
    SchedulerState& state_;
    StatusBar& status_;
    MessageBoxes& boxes_;
    SettingsApply& settings_;
    PrintLauncher& launcher_;
};

}  // namespace torvex
