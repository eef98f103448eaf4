#pragma once

#include "platform/desktop/message_box.h"
#include "scheduler/account_view.h"
#include "scheduler/scheduler_state.h"

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

// The program title: the window caption and the caption of its boxes.
inline constexpr auto kProgramTitle = "TORVEX Print Scheduler";

// Everything the account code works with, owned by the main window.
struct AccountContext {
    SchedulerState& sched;
    AccountState& state;
    AccountView& view;
    MessageBoxes& boxes;
    // The status-line prefix of the window's status texts.
    std::function<QString()> myDateTime;
    // Today's date (fixed in tests).
    std::function<QDate()> today;
    // The service accepted a new account: retrievals may start now.
    std::function<void()> accountRegistered;

    [[nodiscard]] TelvaneInfo& info() { return sched.info; }
};

}  // namespace torvex
