#pragma once

#include <QString>
#include <QtGlobal>

namespace torvex {

// Error numbers GetURL reports, from the transfer error table (the texts are
// GetInetErrorMessage's). Only the kinds our HTTP stack can tell apart are
// named here.
namespace inet_error {
inline constexpr qint32 Disconnected = 10;              // network went away
inline constexpr qint32 UrlMalformed = 35752;
inline constexpr qint32 ProtocolNotSupported = 35753;
inline constexpr qint32 CannotConnect = 35754;          // connection refused
inline constexpr qint32 NoRemoteComputer = 35755;       // no host in the URL
inline constexpr qint32 CannotComplete = 35756;
inline constexpr qint32 CannotRetrieve = 35758;
inline constexpr qint32 RequestTimedOut = 35761;        // our request time-out ran out
inline constexpr qint32 StillExecuting = 35764;         // a request is already in flight
inline constexpr qint32 Timeout = 35768;                // the socket layer gave up
inline constexpr qint32 UnrecognizedScheme = 35772;
inline constexpr qint32 NameNotResolved = 35773;
inline constexpr qint32 OperationCancelled = 35783;
inline constexpr qint32 ConnectionReset = 35797;        // server closed before replying
inline constexpr qint32 InvalidServerResponse = 35918;
inline constexpr qint32 RedirectFailed = 35922;
inline constexpr qint32 ProxyUnreachable = 35931;
// https handshakes, numbered as the system's Internet library numbers them.
inline constexpr qint32 CertificateExpired = 12037;
inline constexpr qint32 CertificateWrongHost = 12038;
inline constexpr qint32 CertificateUnknownIssuer = 12045;
inline constexpr qint32 SecureChannelFailed = 12157;
}  // namespace inet_error

// The fixed text of an error number; empty for numbers outside the table
// (-1 included).
[[nodiscard]] QString GetInetErrorMessage(qint32 myErr);

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
    // aURI after setHttps(true). Afterwards gResponse holds the body (also
    // of an HTTP error page) and gHTTPError is 0, or gResponse is empty and
    // gHTTPError holds the error number.
    void GetURL(const QString& aURI, const HttpCredentials& credentials = {});

    // Later requests by https, the server's certificate checked against the
    // host, the system's CAs and trustedFile (one more certificate or CA);
    // a certificate that does not pass ends the request before anything
    // is sent, never a plain one.
    void setHttps(bool https, const QString& trustedFile = QString());

    // The time-out of later requests, in milliseconds (already scaled).
    void setRequestTimeoutMs(int ms) { timeoutMs_ = ms; }

    QString gResponse;
    qint32 gHTTPError = 0;

private:
    int timeoutMs_;
    bool busy_ = false;
    bool https_ = false;
    QString trustedFile_;
};

}  // namespace torvex
