#pragma once

#include "common/telvane_info.h"
#include "platform/message_box.h"
#include "scheduler/account_view.h"

#include <QDate>
#include <QString>

#include <functional>

namespace torvex {

// The scheduler's program-wide state of the service account and of the PC's
// addresses, shared by the account protocol, the address reporting, the
// member status and the connection code.
struct AccountState {
    QString gLogin;         // user part of the TORVEX address: the service login
    QString gDomain;        // domain part of the TORVEX address
    QString gURL;           // the last request, without the "http:" scheme
    bool gHTTPOK = false;   // the last enquiry was accepted
    QString gPublicIPAddr;  // the address put into the last account request
    QString gLocalIPAddr;   // the PC's current local address, dotted
    bool gflgSendIPAddressUpdate = false;  // start-up found a new dial-up address
    QString gAccountFilePath;              // account.ini in the program folder
    QString gdfltProfile;                  // Default_Profile of the account file
};

// The program title: the window caption and the caption of its boxes.
inline constexpr auto kProgramTitle = "TORVEX Print Scheduler";

// Everything the account code works with, owned by the main window.
struct AccountContext {
    TelvaneInfo& info;
    AccountState& state;
    AccountView& view;
    MessageBoxes& boxes;
    // The status-line prefix of the window's status texts.
    std::function<QString()> myDateTime;
    // Today's date (fixed in tests).
    std::function<QDate()> today = [] { return QDate::currentDate(); };
};

}  // namespace torvex
