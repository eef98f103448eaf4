#pragma once

#include <QString>

#include <memory>

namespace torvex {

class MainForm;

// The service account, member status and address reporting, as the
// scheduler's window calls them. The window owns one instance, made by
// makeAccountHooks() with the window it serves; an implementation reaches the
// controls (MainForm::controls()), the program-wide state (MainForm::state()),
// the message boxes, the status bar and switchFrame() through that window.
class AccountHooks {
public:
    virtual ~AccountHooks() = default;

    // Start-up: read account.ini (service addresses, [MYINFO], Default_Profile
    // into state().gdfltProfile).
    virtual void LoadAccountInfo() = 0;
    // Show or hide the user-profile group Frame8 together with Label31.
    virtual void ShowUserProfile(bool show) = 0;

    // Ask the service for the member's groups; true when the status changed.
    virtual bool CheckMemberStatus() = 0;
    // Apply the member status to the window.
    virtual void ResetGroupFunctions() = 0;

    // flag 1 registers a new account, 2 updates it; flgHTTPMessageBox shows
    // the server's answer.
    virtual void SaveAccountInfo(int flag, bool flgHTTPMessageBox) = 0;
    // The last enquiry to the service's web server succeeded.
    [[nodiscard]] virtual bool gHTTPOK() const = 0;

    virtual void UpdatedbLocalIPAddress() = 0;
    virtual void updateLocalIPAddress() = 0;
    // gPubIPAddr = gLocalIPAddr, written to Public_IP_Addr.
    virtual void SavePublicIPAddress() = 0;
    // The PC's current local address in dotted form, possibly empty.
    [[nodiscard]] virtual QString lookUpLocalIPAddress() = 0;

    // "&Set Up Address" / "Update Account".
    virtual void Command6_Click() = 0;
};

[[nodiscard]] std::unique_ptr<AccountHooks> makeAccountHooks(MainForm& form);

}  // namespace torvex
