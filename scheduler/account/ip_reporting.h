#pragma once

#include "scheduler/account/account_state.h"

namespace torvex {

class AccountProtocol;

// Tells the service the PC's address when it changed: the real address for
// Brisko members ("4" and "5"), an empty one (kept locally as "0") for the
// other tiers. Each report is the account's change request.
class IpReporting {
public:
    IpReporting(AccountContext& context, AccountProtocol& protocol)
        : ctx_(context), protocol_(protocol)
    {
    }

    // Reports the connection page's current address when it differs from
    // the one sent last in this run.
    void UpdatedbLocalIPAddress();

    // After a change of connection type or a hang-up: reports a Brisko
    // member's address when it differs from the one last saved as reported.
    // Only for a registered account, since the change request addresses it.
    void updateLocalIPAddress();

    // The current address is now the reported one (Public_IP_Addr).
    void SavePublicIPAddress();

private:
    void report();

    AccountContext& ctx_;
    AccountProtocol& protocol_;
};

}  // namespace torvex
