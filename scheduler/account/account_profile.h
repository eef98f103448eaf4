#pragma once

#include "scheduler/account/account_state.h"

#include <QString>

namespace torvex {

// The User Profile page and the account file's service addresses.
class AccountProfile {
public:
    explicit AccountProfile(AccountContext& context) : ctx_(context) {}

    // Reads the service addresses of account.ini into the settings record
    // (and copies them into the settings section), the login into gLogin,
    // and the stored profile into the page's fields.
    void LoadAccountInfo();

    // Shows or hides the profile frame and the TORVEX address label.
    void ShowUserProfile(bool flag);

private:
    AccountContext& ctx_;
};

}  // namespace torvex
