#pragma once

#include "scheduler/core/scheduler_view.h"

namespace torvex {

class DialUpConnection;
class MessageBoxes;
class ServiceAccount;
struct SchedulerState;

// What the connection page's options do: the modem or the network card as
// the current connection, its local address, the dial-up entry to use, and
// the address report after a change.
class ConnectionPage {
public:
    ConnectionPage(SchedulerView& view, SchedulerState& state, MessageBoxes& boxes,
                   DialUpConnection& dialUp, ServiceAccount& account)
        : view_(view), state_(state), boxes_(boxes), dialUp_(dialUp), account_(account)
    {
    }

    // The click handler of a control of the page; false for a control that
    // is none of them. Options act when they become selected.
    bool clicked(Control control);

    void Check1_Click();
    void Option1_Click();
    void Option2_Click();
    void Combo1_Click();

private:
    SchedulerView& view_;
    SchedulerState& state_;
    MessageBoxes& boxes_;
    DialUpConnection& dialUp_;
    ServiceAccount& account_;
};

}  // namespace torvex
