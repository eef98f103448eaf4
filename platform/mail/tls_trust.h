#pragma once

#include <QList>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QSslSocket>
#include <QString>

#include <optional>

namespace torvex {

// Whom a TLS client of ours trusts: the system's CA store and, when the
// user names one, the certificates of one more file (PEM). A CA in that
// file vouches for the servers it signed; a server certificate in it is
// trusted as that server's own, even without its issuer, but its host
// name and dates are still checked.
class TlsTrust {
public:
    // An empty file name trusts the system's CAs only. A file that holds no
    // certificate is a problem (problem() says which), not an empty list.
    explicit TlsTrust(const QString& trustedFile = QString());

    [[nodiscard]] const std::optional<QString>& problem() const { return problem_; }

    // The client configuration: peers verified, the CA store plus the file.
    [[nodiscard]] QSslConfiguration configuration() const;

    // A handshake's errors sorted on its socket: those the file's own server
    // certificates excuse (an issuer nobody here knows, for a peer whose
    // certificate is one of them) are ignored on the socket; the rest are
    // returned, to tell the user why the handshake failed.
    QList<QSslError> settle(QSslSocket& socket, const QList<QSslError>& errors) const;

private:
    QList<QSslCertificate> trusted_;
    std::optional<QString> problem_;
};

// What a failed handshake's errors say, for a user: "the server's
// certificate has expired", "... is for another host", "... comes from an
// unknown issuer"; several reasons are joined with ", "; no error at all
// gives fallback.
[[nodiscard]] QString tlsFailureReason(const QList<QSslError>& errors, const QString& fallback);

// The kinds of reasons tlsFailureReason tells apart.
enum class TlsFailureKind { Expired, WrongHost, UnknownIssuer, Other };
[[nodiscard]] TlsFailureKind tlsFailureKind(const QSslError& error);

}  // namespace torvex
