#pragma once

namespace torvex {

class MessageBoxes;
class PrintLauncher;
class ScheduleEngine;
class SchedulerView;
class SettingsApply;
class StatusBar;
struct SchedulerState;

// "Send &Test": applies the settings, has the print utility send a test
// TORVEX to the user's own address, and tells the user which server took
// it, or why none did.
class SendTest {
public:
    SendTest(SchedulerView& view, SchedulerState& state, StatusBar& status, MessageBoxes& boxes,
             SettingsApply& settings, PrintLauncher& launcher, ScheduleEngine& schedule)
        : view_(view), state_(state), status_(status), boxes_(boxes), settings_(settings),
          launcher_(launcher), schedule_(schedule)
    {
    }

    void Command5_Click();

private:
    SchedulerView& view_;
    SchedulerState& state_;
    StatusBar& status_;
    MessageBoxes& boxes_;
    SettingsApply& settings_;
    PrintLauncher& launcher_;
    ScheduleEngine& schedule_;
};

}  // namespace torvex
