#pragma once

#include "scheduler/account/inet_errors.h"

#include <QString>
#include <QtGlobal>

namespace torvex {

// How long one request may take before it is given up: the transfer
// control's own default, scaled like every other wait.
inline constexpr int kRequestTimeoutMs = 60000;

// The account's login and password for a request, sent as basic
// authentication; never part of the URL text, where a "#", "@" or ":" in
// the password would end the address.
struct HttpCredentials {
    QString user;
    QString password;
    [[nodiscard]] bool isEmpty() const { return user.isEmpty() && password.isEmpty(); }
};

// What one GET brought: the body (also of an HTTP error page) and 0, or an
// empty text and the error number.
struct HttpResult {
    QString gResponse;
    qint32 gHTTPError = 0;
};

// Replies larger than this are not the service's pages.
inline constexpr qsizetype kMaxReplyBytes = 1024 * 1024;

// The scheduler's web requests: one plain GET per call whose whole body is
// wanted as text, on a connection of its own that is closed afterwards. The
// call waits in a local event loop, so the window keeps repainting and its
// timers keep ticking, and it never waits longer than the request time-out.
// A request goes out once: a connection that drops after it was sent is an
// error, never a silent second request (the service may already have acted
// on the first).
class HttpClient {
public:
    HttpClient();

    // Fetches "http:" + aURI ("//host[:port]/path?query"), or "https:" +
    // aURI after setHttps(true).
    [[nodiscard]] HttpResult GetURL(const QString& aURI, const HttpCredentials& credentials = {});

    // Later requests by https, the server's certificate checked against the
    // host, the system's CAs and trustedFile (one more certificate or CA);
    // a certificate that does not pass ends the request before anything
    // is sent, never a plain one.
    void setHttps(bool https, const QString& trustedFile = QString());

    // The time-out of later requests, in milliseconds (already scaled).
    void setRequestTimeoutMs(int ms) { timeoutMs_ = ms; }

private:
    int timeoutMs_;
    bool busy_ = false;
    bool https_ = false;
    QString trustedFile_;
};

}  // namespace torvex
