#pragma once

#include "scheduler/account/account_state.h"

#include <QString>

namespace torvex {

class AccountProtocol;

// The member status for the Groups value of the user record: Brisko (with
// Relay "5", else "4"), Relay "3", Members "2", anything else the base "1";
// letter case does not matter.
[[nodiscard]] QString memberStatusFromGroups(const QString& groups);

// The title shown for a status: " Brisko+Relay ", " Brisko ", " Relay ",
// " Member ", " Basic " for the base status, empty for no status yet
// (empty or "-").
[[nodiscard]] QString memberTitle(const QString& status);

// The user's membership tier and the features it switches on the window.
class MemberStatus {
public:
    MemberStatus(AccountContext& context, AccountProtocol& protocol)
        : ctx_(context), protocol_(protocol)
    {
    }

    // Asks the server for the user's groups and stores the new status and
    // today's date; true when the status changed. A failed check keeps the
    // status (an empty one becomes the base status) and the date.
    bool CheckMemberStatus();

    // Applies the status to the window: header options always, forwarding
    // above "1", relay options for "3" and "5", the title on the About page.
    void ResetGroupFunctions();

    [[nodiscard]] QString getMemberTitle() const;
    void Enableheaders(bool flg);
    void EnableForwardingInfo(bool flg);
    void EnableRelayingInfo(bool flg);

private:
    void enable(std::initializer_list<Control> controls, bool flg);

    AccountContext& ctx_;
    AccountProtocol& protocol_;
};

}  // namespace torvex
