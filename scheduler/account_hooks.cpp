#include "account_hooks.h"

namespace torvex {
namespace {

// Until the account features are wired in, the window runs without them.
class NoAccountFeatures final : public AccountHooks {
public:
    void LoadAccountInfo() override {}
    void ShowUserProfile(bool) override {}
    bool CheckMemberStatus() override { return false; }
    void ResetGroupFunctions() override {}
    void SaveAccountInfo(int, bool) override {}
    bool gHTTPOK() const override { return false; }
    void UpdatedbLocalIPAddress() override {}
    void updateLocalIPAddress() override {}
    void SavePublicIPAddress() override {}
    QString lookUpLocalIPAddress() override { return {}; }
    void Command6_Click() override {}
};

}  // namespace

std::unique_ptr<AccountHooks> makeAccountHooks(MainForm&)
{
    return std::make_unique<NoAccountFeatures>();
}

}  // namespace torvex
