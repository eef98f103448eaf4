#include "tls_trust.h"

#include <QFile>
#include <QStringList>

namespace torvex {
namespace {

[[nodiscard]] bool isIssuerError(QSslError::SslError error)
{
    switch (error) {
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::SelfSignedCertificate:
    case QSslError::SelfSignedCertificateInChain:
    case QSslError::CertificateUntrusted:
    case QSslError::InvalidCaCertificate:
        return true;
    default:
        return false;
    }
}

}  // namespace

TlsTrust::TlsTrust(const QString& trustedFile)
{
    if (trustedFile.isEmpty())
        return;
    QFile file(trustedFile);
    if (!file.open(QIODevice::ReadOnly)) {
        problem_ = QStringLiteral("the trusted certificate file %1 cannot be read").arg(trustedFile);
        return;
    }
    trusted_ = QSslCertificate::fromData(file.read(1 << 20), QSsl::Pem);
    if (trusted_.isEmpty())
        problem_ = QStringLiteral("the trusted certificate file %1 holds no certificate").arg(trustedFile);
}

QSslConfiguration TlsTrust::configuration() const
{
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setPeerVerifyMode(QSslSocket::VerifyPeer);
    if (!trusted_.isEmpty())
        config.addCaCertificates(trusted_);
    return config;
}

QList<QSslError> TlsTrust::settle(QSslSocket& socket, const QList<QSslError>& errors) const
{
    const QSslCertificate peer = socket.peerCertificate();
    const bool ownServer = !peer.isNull() && trusted_.contains(peer);
    QList<QSslError> excused;
    QList<QSslError> left;
    for (const QSslError& e : errors)
        (ownServer && isIssuerError(e.error()) ? excused : left).append(e);
    if (!excused.isEmpty())
        socket.ignoreSslErrors(excused);
    return left;
}

TlsFailureKind tlsFailureKind(const QSslError& error)
{
    switch (error.error()) {
    case QSslError::CertificateExpired:
    case QSslError::CertificateNotYetValid:
        return TlsFailureKind::Expired;
    case QSslError::HostNameMismatch:
        return TlsFailureKind::WrongHost;
    default:
        return isIssuerError(error.error()) ? TlsFailureKind::UnknownIssuer : TlsFailureKind::Other;
    }
}

QString tlsFailureReason(const QList<QSslError>& errors, const QString& fallback)
{
    QStringList reasons;
    for (const QSslError& e : errors) {
        QString reason;
        switch (tlsFailureKind(e)) {
        case TlsFailureKind::Expired:
            reason = e.error() == QSslError::CertificateExpired
                ? QStringLiteral("the server's certificate has expired")
                : QStringLiteral("the server's certificate is not valid yet");
            break;
        case TlsFailureKind::WrongHost:
            reason = QStringLiteral("the server's certificate is for another host");
            break;
        case TlsFailureKind::UnknownIssuer:
            reason = QStringLiteral("the server's certificate comes from an unknown issuer");
            break;
        case TlsFailureKind::Other:
            reason = e.errorString();
            break;
        }
        if (!reasons.contains(reason))
            reasons.append(reason);
    }
    return reasons.isEmpty() ? fallback : reasons.join(QStringLiteral(", "));
}

}  // namespace torvex
