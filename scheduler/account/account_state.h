#pragma once

#include "platform/desktop/message_box.h"
#include "scheduler/core/scheduler_state.h"
#include "scheduler/core/scheduler_view.h"
#include "scheduler/core/status_bar.h"

#include <QDate>
#include <QString>

#include <functional>

namespace torvex {

// The account protocol's own share of the program-wide state; the rest
// (login, domain, local address, account file) is the scheduler's.
struct AccountState {
    QString gURL;           // the last request, without the "http:" scheme and the credentials
    bool gHTTPOK = false;   // the last enquiry was accepted
    QString gPublicIPAddr;  // the address put into the last account request
};

// Everything the account code works with.
struct AccountContext {
    SchedulerState& sched;
    AccountState& state;
    SchedulerView& view;
    StatusBar& status;
    MessageBoxes& boxes;
    // Today's date (fixed in tests).
    std::function<QDate()> today;
    // The service accepted a new account: retrievals may start now.
    std::function<void()> accountRegistered;

    [[nodiscard]] TelvaneInfo& info() { return sched.info; }

    // Tab n to the front, unless it is, and the focus into field; not while
    // unattended, where nobody looks and whoever does works on undisturbed.
    void showField(int tab, Control field)
    {
        if (sched.unattended)
            return;
        if (view.currentTab() != tab)
            view.switchFrame(tab);
        view.focus(field);
    }
};

}  // namespace torvex
