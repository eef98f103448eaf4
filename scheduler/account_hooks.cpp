#include "account_hooks.h"

#include "account_service.h"
#include "account_widget_view.h"
#include "clock.h"
#include "connection_choice.h"
#include "main_form.h"
#include "schedule_engine.h"

namespace torvex {
namespace {

// The service account wired into the window.
class FormAccountHooks final : public AccountHooks {
public:
    explicit FormAccountHooks(MainForm& form)
        : form_(form),
          view_(form),
          ctx_{form.state(), state_, view_, form.boxes(),
               [&form] { return form.schedule().myDateTime(); },
               [&form] { return form.clock().now().date(); },
               [&form] { form.accountRegistered(); }},
          account_(ctx_)
    {
    }

    void LoadAccountInfo() override { account_.profile.LoadAccountInfo(); }
    void ShowUserProfile(bool show) override { account_.profile.ShowUserProfile(show); }
    bool CheckMemberStatus() override { return account_.member.CheckMemberStatus(); }
    void ResetGroupFunctions() override { account_.member.ResetGroupFunctions(); }
    void SaveAccountInfo(int flag, bool flgHTTPMessageBox) override
    {
        account_.protocol.SaveAccountInfo(flag, flgHTTPMessageBox);
    }
    bool gHTTPOK() const override { return state_.gHTTPOK; }
    void UpdatedbLocalIPAddress() override { account_.reporting.UpdatedbLocalIPAddress(); }
    void updateLocalIPAddress() override { account_.reporting.updateLocalIPAddress(); }
    void SavePublicIPAddress() override { account_.reporting.SavePublicIPAddress(); }
    QString lookUpLocalIPAddress() override
    {
        account_.lookup.CreateSocket();
        return form_.state().gLocalIPAddr;
    }
    void Command6_Click() override
    {
        account_.Command6_Click([this] { return IsConnection(form_); });
    }

private:
    MainForm& form_;
    AccountState state_;
    WidgetAccountView view_;
    AccountContext ctx_;
    ServiceAccount account_;
};

}  // namespace

std::unique_ptr<AccountHooks> makeAccountHooks(MainForm& form)
{
    return std::make_unique<FormAccountHooks>(form);
}

}  // namespace torvex
