#include "scheduler/account/http_client.h"

#include "platform/desktop/time_scale.h"
#include "platform/mail/tls_trust.h"

#include <QEventLoop>
#include <QNetworkProxy>
#include <QSslSocket>
#include <QTimer>
#include <QUrl>

#include <optional>

namespace torvex {
namespace {

constexpr quint16 kHttpPort = 80;
constexpr quint16 kHttpsPort = 443;

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

// The account requests send "%" as "%%" for the service to unescape; on
// the wire each of the pair, and any "%" that starts no escape, becomes
// "%25". Left as they are, "%%41" would arrive as "%A", and one stray "%"
// makes QUrl encode every other escape of the request once more.
[[nodiscard]] QString escapeStrayPercents(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('%')) {
            out += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == QLatin1Char('%')) {
            out += QLatin1String("%25%25");
            ++i;
        } else if (i + 2 < text.size() && isHex(text[i + 1]) && isHex(text[i + 2])) {
            out += text[i];
        } else {
            out += QLatin1String("%25");
        }
    }
    return out;
}

[[nodiscard]] QByteArray requestText(const QUrl& url, quint16 defaultPort, const HttpCredentials& credentials)
{
    QByteArray target = url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
    if (target.isEmpty())
        target = "/";
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (url.port(defaultPort) != defaultPort)
        host += ':' + QByteArray::number(url.port());
    // HTTP/1.0: the reply ends with the connection and is never chunked.
    QByteArray text = "GET " + target + " HTTP/1.0\r\nHost: " + host + "\r\n";
    if (!credentials.isEmpty())
        text += "Authorization: Basic "
            + (credentials.user.toUtf8() + ':' + credentials.password.toUtf8()).toBase64() + "\r\n";
    text += "Accept: */*\r\nConnection: close\r\n\r\n";
    return text;
}

// One reply as it arrives: complete once its head is in and its body has
// the announced length, or the connection has ended.
class Reply {
public:
    void append(const QByteArray& bytes) { data_ += bytes; }
    [[nodiscard]] bool tooLarge() const { return data_.size() > kMaxReplyBytes; }
    [[nodiscard]] bool isEmpty() const { return data_.isEmpty(); }

    // The body once the announced length is in; nothing before that, or
    // when the reply does not say how long it is.
    [[nodiscard]] bool hasAnnouncedBody() const
    {
        const qsizetype end = headEnd();
        if (end < 0)
            return false;
        const std::optional<qsizetype> length = contentLength(end);
        return length && data_.size() - end >= *length;
    }

    // The body of a reply the server ended: 0 and the body, or the error.
    [[nodiscard]] std::pair<qint32, QByteArray> endedBody() const
    {
        const qsizetype end = headEnd();
        if (end < 0)
            return {data_.isEmpty() ? inet_error::ConnectionReset : inet_error::InvalidServerResponse, {}};
        if (!statusLineValid())
            return {inet_error::InvalidServerResponse, {}};
        QByteArray body = data_.mid(end);
        if (const std::optional<qsizetype> length = contentLength(end)) {
            if (body.size() < *length)
                return {inet_error::ConnectionReset, {}};
            body.truncate(*length);
        }
        return {0, body};
    }

private:
    [[nodiscard]] qsizetype headEnd() const
    {
        const qsizetype at = data_.indexOf("\r\n\r\n");
        return at < 0 ? at : at + 4;
    }

    [[nodiscard]] bool statusLineValid() const
    {
        const QList<QByteArray> words = data_.left(data_.indexOf("\r\n")).split(' ');
        if (words.size() < 2 || !words[0].startsWith("HTTP/1.") || words[1].size() != 3)
            return false;
        bool number = false;
        words[1].toInt(&number);
        return number;
    }

    [[nodiscard]] std::optional<qsizetype> contentLength(qsizetype headEnd) const
    {
        for (const QByteArray& line : data_.left(headEnd).split('\n')) {
            const qsizetype colon = line.indexOf(':');
            if (colon < 0 || line.left(colon).trimmed().compare("Content-Length", Qt::CaseInsensitive) != 0)
                continue;
            bool ok = false;
            const qsizetype length = line.mid(colon + 1).trimmed().toLongLong(&ok);
            return ok && length >= 0 ? std::optional<qsizetype>(length) : std::nullopt;
        }
        return std::nullopt;
    }

    QByteArray data_;
};

[[nodiscard]] qint32 errorNumber(QAbstractSocket::SocketError error)
{
    using E = QAbstractSocket::SocketError;
    switch (error) {
    case E::ConnectionRefusedError: return inet_error::CannotConnect;
    case E::RemoteHostClosedError: return inet_error::ConnectionReset;
    case E::HostNotFoundError: return inet_error::NameNotResolved;
    case E::SocketTimeoutError: return inet_error::Timeout;
    case E::NetworkError: return inet_error::Disconnected;
    case E::ProxyConnectionRefusedError:
    case E::ProxyConnectionClosedError:
    case E::ProxyConnectionTimeoutError:
    case E::ProxyNotFoundError:
    case E::ProxyProtocolError:
    case E::ProxyAuthenticationRequiredError: return inet_error::ProxyUnreachable;
    default: return inet_error::CannotComplete;
    }
}

}  // namespace

HttpClient::HttpClient() : timeoutMs_(scaledMs(kRequestTimeoutMs)) {}

void HttpClient::setHttps(bool https, const QString& trustedFile)
{
    https_ = https;
    trustedFile_ = trustedFile;
}

HttpResult HttpClient::GetURL(const QString& aURI, const HttpCredentials& credentials)
{
    // Another request may be waiting further down the stack (a timer fired
    // inside its wait); one at a time, as the callers expect.
    if (busy_)
        return {{}, inet_error::StillExecuting};

    const QUrl url((https_ ? QStringLiteral("https:") : QStringLiteral("http:")) + escapeStrayPercents(aURI),
                   QUrl::TolerantMode);
    if (!url.isValid())
        return {{}, inet_error::UrlMalformed};
    if (url.host().isEmpty())
        return {{}, inet_error::NoRemoteComputer};

    const TlsTrust trust(https_ ? trustedFile_ : QString());
    if (https_ && trust.problem())
        return {{}, inet_error::SecureChannelFailed};
    const quint16 defaultPort = https_ ? kHttpsPort : kHttpPort;

    busy_ = true;
    QSslSocket socket;
    // The service is reached directly, as the transfer control did by default.
    socket.setProxy(QNetworkProxy::NoProxy);
    Reply reply;
    std::optional<qint32> failure;
    QEventLoop loop;
    bool ended = false;
    const auto end = [&] {
        ended = true;
        loop.quit();
    };
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        failure = inet_error::RequestTimedOut;
        end();
    });
    // By https the request waits for the handshake to pass.
    QObject::connect(&socket, https_ ? &QSslSocket::encrypted : &QTcpSocket::connected, &loop,
                     [&] { socket.write(requestText(url, defaultPort, credentials)); });
    QList<QSslError> sslErrors;  // those no trusted certificate excuses
    QObject::connect(&socket, &QSslSocket::sslErrors, &loop, [&](const QList<QSslError>& errors) {
        sslErrors.append(trust.settle(socket, errors));
    });
    QObject::connect(&socket, &QTcpSocket::readyRead, &loop, [&] {
        reply.append(socket.readAll());
        if (reply.tooLarge())
            failure = inet_error::InvalidServerResponse;
        if (failure || reply.hasAnnouncedBody())
            end();
    });
    QObject::connect(&socket, &QTcpSocket::disconnected, &loop, end);
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, [&](QAbstractSocket::SocketError error) {
        // The server ending the connection ends the reply; what arrived
        // decides whether that was a whole one.
        if (error == QAbstractSocket::SslHandshakeFailedError)
            failure = handshakeErrorNumber(sslErrors);
        else if (error != QAbstractSocket::RemoteHostClosedError || reply.isEmpty())
            failure = errorNumber(error);
        end();
    });
    timer.start(timeoutMs_);
    if (https_) {
        socket.setSslConfiguration(trust.configuration());
        socket.connectToHostEncrypted(url.host(), quint16(url.port(defaultPort)));
    } else {
        socket.connectToHost(url.host(), quint16(url.port(defaultPort)));
    }
    if (!ended)
        loop.exec();
    reply.append(socket.readAll());
    socket.disconnect();  // nothing of the closing may reach the finished wait
    socket.abort();
    busy_ = false;

    if (failure)
        return {{}, *failure};
    const auto [error, body] = reply.endedBody();
    return {error == 0 ? QString::fromUtf8(body) : QString(), error};
}

}  // namespace torvex
