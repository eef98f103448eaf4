#include "http_client.h"

#include "platform/time_scale.h"
#include "platform/tls_trust.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrl>

namespace torvex {
namespace {

// A complete reply is a document whatever its HTTP status: the service's
// error pages are read like any other reply. Errors of the connection or of
// the protocol are not.
[[nodiscard]] bool isDocument(const QNetworkReply& reply)
{
    using E = QNetworkReply::NetworkError;
    const E error = reply.error();
    if (error == E::NoError)
        return true;
    const bool statusError = (error >= E::ContentAccessDenied && error <= E::UnknownContentError)
        || (error >= E::InternalServerError && error <= E::UnknownServerError);
    return statusError && reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
}

[[nodiscard]] qint32 errorNumber(QNetworkReply::NetworkError error, bool timedOut)
{
    using E = QNetworkReply::NetworkError;
    if (timedOut)
        return inet_error::RequestTimedOut;
    switch (error) {
    case E::ConnectionRefusedError: return inet_error::CannotConnect;
    case E::RemoteHostClosedError: return inet_error::ConnectionReset;
    case E::HostNotFoundError: return inet_error::NameNotResolved;
    case E::TimeoutError: return inet_error::Timeout;
    case E::OperationCanceledError: return inet_error::OperationCancelled;
    case E::TemporaryNetworkFailureError:
    case E::NetworkSessionFailedError: return inet_error::Disconnected;
    case E::TooManyRedirectsError:
    case E::InsecureRedirectError: return inet_error::RedirectFailed;
    case E::ProtocolUnknownError: return inet_error::UnrecognizedScheme;
    case E::ProtocolInvalidOperationError: return inet_error::ProtocolNotSupported;
    case E::ProtocolFailure: return inet_error::InvalidServerResponse;
    default: break;
    }
    if (error >= E::ProxyConnectionRefusedError && error <= E::UnknownProxyError)
        return inet_error::ProxyUnreachable;
    if (error >= E::ContentAccessDenied)
        return inet_error::CannotRetrieve;
    return inet_error::CannotComplete;
}

// The number of a failed https handshake, by the first reason found.
[[nodiscard]] qint32 handshakeErrorNumber(const QList<QSslError>& errors)
{
    for (const QSslError& e : errors) {
        switch (tlsFailureKind(e)) {
        case TlsFailureKind::Expired: return inet_error::CertificateExpired;
        case TlsFailureKind::WrongHost: return inet_error::CertificateWrongHost;
        case TlsFailureKind::UnknownIssuer: return inet_error::CertificateUnknownIssuer;
        case TlsFailureKind::Other: break;
        }
    }
    return inet_error::SecureChannelFailed;
}

[[nodiscard]] bool isHex(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        || (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
        || (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
}

// A "%" that starts no escape (the account requests send "%" as "%%")
// becomes "%25". Left to QUrl, one such "%" makes it encode every other
// escape of the request once more.
[[nodiscard]] QString escapeStrayPercents(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool startsEscape = i + 2 < text.size() && isHex(text[i + 1]) && isHex(text[i + 2]);
        if (text[i] == QLatin1Char('%') && !startsEscape)
            out += QLatin1String("%25");
        else
            out += text[i];
    }
    return out;
}

}  // namespace

HttpClient::HttpClient()
    : manager_(std::make_unique<QNetworkAccessManager>()), timeoutMs_(scaledMs(kRequestTimeoutMs))
{
    // The service is reached directly, as the transfer control did by default.
    manager_->setProxy(QNetworkProxy::NoProxy);
}

HttpClient::~HttpClient() = default;

void HttpClient::setHttps(bool https, const QString& trustedFile)
{
    https_ = https;
    trustedFile_ = trustedFile;
}

void HttpClient::GetURL(const QString& aURI)
{
    gResponse.clear();
    if (busy_) {
        // Another request is waiting further down the stack (a timer fired
        // inside its wait); one at a time, as the callers expect.
        gHTTPError = inet_error::StillExecuting;
        return;
    }

    QUrl url((https_ ? QStringLiteral("https:") : QStringLiteral("http:")) + escapeStrayPercents(aURI),
             QUrl::TolerantMode);
    if (!url.isValid()) {
        gHTTPError = inet_error::UrlMalformed;
        return;
    }
    if (url.host().isEmpty()) {
        gHTTPError = inet_error::NoRemoteComputer;
        return;
    }

    QNetworkRequest request;
    if (!url.userInfo().isEmpty()) {
        // Sent with the first request rather than after a challenge, so the
        // server sees the account's credentials exactly once per request.
        const QByteArray pair = url.userName(QUrl::FullyDecoded).toUtf8() + ':'
            + url.password(QUrl::FullyDecoded).toUtf8();
        request.setRawHeader("Authorization", "Basic " + pair.toBase64());
        url.setUserInfo(QString());
    }
    request.setUrl(url);
    request.setTransferTimeout(0);  // our own timer bounds the whole request
    const TlsTrust trust(https_ ? trustedFile_ : QString());
    if (https_) {
        if (trust.problem()) {
            gHTTPError = inet_error::SecureChannelFailed;
            return;
        }
        request.setSslConfiguration(trust.configuration());
    }

    busy_ = true;
    QPointer<QNetworkReply> reply = manager_->get(request);
    bool timedOut = false;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        if (reply)
            reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QList<QSslError> sslErrors;  // those no trusted certificate excuses
    QObject::connect(reply, &QNetworkReply::sslErrors, &loop, [&](const QList<QSslError>& errors) {
        const QList<QSslError> excused = trust.excused(errors, reply->sslConfiguration().peerCertificate());
        for (const QSslError& e : errors) {
            if (!excused.contains(e))
                sslErrors.append(e);
        }
        if (!excused.isEmpty())
            reply->ignoreSslErrors(excused);
    });
    timer.start(timeoutMs_);
    if (!reply->isFinished())
        loop.exec();
    busy_ = false;

    if (!reply) {
        gHTTPError = inet_error::CannotComplete;
        return;
    }
    const QNetworkReply::NetworkError error = reply->error();
    if (!timedOut && isDocument(*reply)) {
        gResponse = QString::fromUtf8(reply->readAll());
        gHTTPError = 0;
    } else if (!timedOut && error == QNetworkReply::SslHandshakeFailedError) {
        gHTTPError = handshakeErrorNumber(sslErrors);
    } else {
        gHTTPError = errorNumber(error, timedOut);
    }
    reply->deleteLater();
}

}  // namespace torvex
