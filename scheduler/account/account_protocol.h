#pragma once

#include "scheduler/account/account_state.h"
#include "scheduler/account/http_client.h"

#include <QString>

namespace torvex {

class IpLookup;

// What [HTTP] Request keeps in place of the account password.
inline constexpr auto kPasswordMask = "********";

// The account protocol with the service's web server: register ("adduser")
// and update ("changeuser") requests built from the User Profile page, the
// user record ("showdb"), and the reading of the tagged replies.
class AccountProtocol {
public:
    AccountProtocol(AccountContext& context, HttpClient& http, IpLookup& lookup)
        : ctx_(context), http_(http), lookup_(lookup)
    {
    }

    // flag 1 registers, 2 updates; with flgHTTPMessageBox the server's answer
    // is shown. The outcome is gHTTPOK.
    void SaveAccountInfo(int flag, bool flgHTTPMessageBox);

    // Sends one request and acts on the reply's title; sets gHTTPOK, and
    // gHTTPError to -1 for a reply with nothing recognisable in it.
    void HTTPEnquiry(bool flg, const QString& aURI, const HttpCredentials& credentials);

    // Fetches the user record of Login; true when the server accepted.
    [[nodiscard]] bool getUserInfo(const QString& Login);

    // The value cell after the cell naming item in the fetched record.
    [[nodiscard]] QString getUserItem(const QString& item) const;

    // The reply of the last enquiry.
    [[nodiscard]] const QString& gResponse() const { return reply_.gResponse; }
    [[nodiscard]] qint32 gHTTPError() const { return reply_.gHTTPError; }

private:
    void ensureServerAddress();
    // The service's web server reached by https: the address asks for it
    // ("https://...") or VX_Use_HTTPS does.
    [[nodiscard]] bool usesHttps() const;
    // The server as the request names it: VX_IP_Address without its
    // scheme; by https with no address, the service's domain, so the
    // certificate is checked against the name.
    [[nodiscard]] QString webServer() const;
    [[nodiscard]] HttpCredentials credentials() const;
    void showReply(const QString& text, const QString& caption) const;

    AccountContext& ctx_;
    HttpClient& http_;
    IpLookup& lookup_;
    HttpResult reply_;
};

}  // namespace torvex
