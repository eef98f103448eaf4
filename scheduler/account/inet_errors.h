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
inline constexpr qint32 CannotConnect = 35754;          // connection refused
inline constexpr qint32 NoRemoteComputer = 35755;       // no host in the URL
inline constexpr qint32 CannotComplete = 35756;
inline constexpr qint32 RequestTimedOut = 35761;        // our request time-out ran out
inline constexpr qint32 StillExecuting = 35764;         // a request is already in flight
inline constexpr qint32 Timeout = 35768;                // the socket layer gave up
inline constexpr qint32 NameNotResolved = 35773;
inline constexpr qint32 ConnectionReset = 35797;        // server closed before replying
inline constexpr qint32 InvalidServerResponse = 35918;
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

}  // namespace torvex
