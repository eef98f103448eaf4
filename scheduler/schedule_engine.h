#pragma once

#include <QString>

namespace torvex {

class MainForm;

// The once-a-minute schedule: counts down Cycle_Minutes inside the daily
// hours, launches scheduled, Brisko-folder and regular-fax runs, and keeps
// the countdown field Text19 and the status bar current. Reads the fields of
// the schedule page (not the saved settings) and the time from the window's
// clock.
class ScheduleEngine {
public:
    explicit ScheduleEngine(MainForm& form) : form_(form) {}

    void Timer1_Timer();
    [[nodiscard]] bool IsTime() const;
    [[nodiscard]] QString GetNextMinutes();
    void ResetCountdown();
    void ResetStatusBar();
    [[nodiscard]] QString myDateTime() const;
    void Timer3_Timer();

    // True when the Brisko folder holds at least one ordinary file.
    [[nodiscard]] static bool briskoFilesWaiting(const QString& briskoPath);

private:
    MainForm& form_;
};

}  // namespace torvex
