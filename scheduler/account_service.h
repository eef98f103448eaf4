#pragma once

#include "scheduler/account_profile.h"
#include "scheduler/account_protocol.h"
#include "scheduler/account_state.h"
#include "scheduler/http_client.h"
#include "scheduler/ip_lookup.h"
#include "scheduler/ip_reporting.h"
#include "scheduler/member_status.h"

#include <functional>

namespace torvex {

// The service account as the main window uses it: the protocol, the
// profile page, the member status and the address reports over one HTTP
// client and one look-up, and the account button.
class ServiceAccount {
public:
    explicit ServiceAccount(AccountContext& context);

    // "&Set Up Address" / "Update Account": registers or updates the account
    // when isConnection agrees, showing the server's answer.
    void Command6_Click(const std::function<bool()>& isConnection);

    HttpClient http;
    IpLookup lookup;
    AccountProtocol protocol;
    AccountProfile profile;
    MemberStatus member;
    IpReporting reporting;

private:
    AccountContext& ctx_;
};

}  // namespace torvex
