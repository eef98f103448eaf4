#pragma once

#include "scheduler/core/scheduler_view.h"

namespace torvex {

class ScheduleEngine;
struct SchedulerState;

// What the check boxes of the schedule, printing and forwarding pages
// switch: the fields that go with them, the settings record's header
// flags, a forwarding row's default destination; and the password fields.
class PageSwitches {
public:
    PageSwitches(SchedulerView& view, SchedulerState& state, ScheduleEngine& schedule)
        : view_(view), state_(state), schedule_(schedule)
    {
    }

    // The click handler of a check box; false for a control that is none of these.
    bool clicked(Control control);

    void Check3_Click();
    void Check8_Click();
    void Check10_Click();
    void Check11_Click();
    void forwardingRow_Click(int row);  // Check16, Check17, Check18 (rows 0-2)
    void showPasswordEntries(bool flg);

private:
    SchedulerView& view_;
    SchedulerState& state_;
    ScheduleEngine& schedule_;
};

}  // namespace torvex
