#pragma once

#include "scheduler/account/account_profile.h"
#include "scheduler/account/account_protocol.h"
#include "scheduler/account/account_state.h"
#include "scheduler/account/http_client.h"
#include "scheduler/account/ip_lookup.h"
#include "scheduler/account/ip_reporting.h"
#include "scheduler/account/member_status.h"

#include <functional>

namespace torvex {

// The service account: the protocol, the profile page, the member status
// and the address reports over one HTTP client and one look-up, and the
// buttons that use them.
class ServiceAccount {
public:
    ServiceAccount(SchedulerState& sched, SchedulerView& view, StatusBar& status,
                   MessageBoxes& boxes, std::function<QDate()> today,
                   std::function<void()> accountRegistered = {});
    ServiceAccount(const ServiceAccount&) = delete;
    ServiceAccount& operator=(const ServiceAccount&) = delete;

    [[nodiscard]] AccountState& state() { return state_; }

    // "&Set Up Address" / "Update Account": registers or updates the account
    // when isConnection agrees, showing the server's answer.
    void Command6_Click(const std::function<bool()>& isConnection);

    // A double-click on the relay group: the member status afresh, after
    // the password fields agree.
    void Frame15_DblClick();

    // The PC's current local address in dotted form, possibly empty.
    [[nodiscard]] QString lookUpLocalIPAddress();

private:
    AccountState state_;
    AccountContext ctx_;

public:
    HttpClient http;
    IpLookup lookup;
    AccountProtocol protocol;
    AccountProfile profile;
    MemberStatus member;
    IpReporting reporting;
};

}  // namespace torvex
