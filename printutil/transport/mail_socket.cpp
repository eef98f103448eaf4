#include "mail_socket.h"

#include "platform/desktop/time_scale.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHostAddress>
#include <QHostInfo>

#include <limits>
#include <utility>

namespace torvex {
namespace {

QString firstAddress(const QList<QHostAddress>& addresses)
{
    // The connection is made over IPv4 where the name has such an address.
    for (const QHostAddress& address : addresses) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            return address.toString();
    }
    return addresses.isEmpty() ? QString() : addresses.first().toString();
}

// A text of digits and dots is a dotted quad (four decimal numbers of 0 to
// 255) or no host at all: the resolver would also take "5551234" or "127.1"
// for addresses, so a telephone number would reach some Internet host.
QString dottedQuadAddress(const QString& host)
{
    const QStringList numbers = host.split(QLatin1Char('.'));
    if (numbers.size() != 4)
        return {};
    quint32 address = 0;
    for (const QString& number : numbers) {
        bool ok = false;
        const int value = number.toInt(&ok);
        if (number.isEmpty() || number.size() > 3 || !ok || value > 255)
            return {};
        address = address << 8 | quint32(value);
    }
    return QHostAddress(address).toString();
}

bool onlyDigitsAndDots(const QString& host)
{
    for (const QChar c : host) {
        if (c != QLatin1Char('.') && (c < QLatin1Char('0') || c > QLatin1Char('9')))
            return false;
    }
    return true;
}

// The address a host text names: a dotted quad or an IPv6 address as it
// stands, a name through the resolver; any other numeric form ("0x7f000001")
// names none.
QString addressOfHost(const QString& host)
{
    if (onlyDigitsAndDots(host))
        return dottedQuadAddress(host);
    QHostAddress literal;
    if (literal.setAddress(host))
        return literal.protocol() == QAbstractSocket::IPv6Protocol ? literal.toString() : QString();
    return firstAddress(QHostInfo::fromName(host).addresses());
}

}  // namespace

quint16 mailPort(MailService service, const MailServerAccess& access)
{
    if (access.port != 0)
        return access.port;
    if (access.security == MailSecurity::ImplicitTls)
        return service == MailService::POP ? 995 : 465;
    const char* variable = service == MailService::POP ? "TORVEX_POP3_PORT" : "TORVEX_SMTP_PORT";
    bool ok = false;
    const quint16 port = qEnvironmentVariable(variable).toUShort(&ok);
    if (ok && port > 0)
        return port;
    return service == MailService::POP ? 110 : 25;
}

qint32 socketErrorNumber(QAbstractSocket::SocketError socketError)
{
    switch (socketError) {
    case QAbstractSocket::ConnectionRefusedError: return 10061;
    case QAbstractSocket::RemoteHostClosedError: return 10054;
    case QAbstractSocket::HostNotFoundError: return 11001;
    case QAbstractSocket::SocketAccessError: return 10013;
    case QAbstractSocket::SocketResourceError: return 10055;
    case QAbstractSocket::SocketTimeoutError: return 10060;
    case QAbstractSocket::NetworkError: return 10050;
    case QAbstractSocket::AddressInUseError: return 10048;
    case QAbstractSocket::SocketAddressNotAvailableError: return 10049;
    case QAbstractSocket::UnsupportedSocketOperationError: return 10045;
    default: return 10000 + qint32(socketError) + 1;
    }
}

MailSocket::MailSocket(QObject* parent)
    : QObject(parent), replyComplete_([](const QByteArray& reply) { return reply.contains('\n'); })
{
    connect(&socket_, &QTcpSocket::connected, this, [this] { gSocketState = SocketState::Connected; });
    connect(&socket_, &QTcpSocket::readyRead, this, &MailSocket::onReadyRead);
    connect(&socket_, &QTcpSocket::bytesWritten, this, &MailSocket::onBytesWritten);
    connect(&socket_, &QTcpSocket::disconnected, this, &MailSocket::onDisconnected);
    connect(&socket_, &QTcpSocket::errorOccurred, this, &MailSocket::onError);
    connect(&socket_, &QSslSocket::sslErrors, this, &MailSocket::onSslErrors);
    connect(&socket_, &QSslSocket::encrypted, this, [this] { handshaking_ = false; });
    connect(&timer_, &QTimer::timeout, this, [this] { tick = true; });
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] { expired_ = true; });
}

MailSocket::~MailSocket()
{
    closeConnection();
}

void MailSocket::setReplyComplete(std::function<bool(const QByteArray&)> complete)
{
    replyComplete_ = std::move(complete);
}

void MailSocket::InitMailSocket(MailService)
{
    closeConnection();
    gSocketState = SocketState::DataReceived;
    error = MailError::None;
    errorDescription.clear();
    PortIn.clear();
    reading = false;
    tick = false;
    overlongReply = false;
    replyOpen_ = false;
    handshaking_ = false;
    sslErrors_.clear();
    deadline_.stop();
    expired_ = false;
}

void MailSocket::setSessionDeadline(qint64 ms)
{
    if (ms < 0) {
        deadline_.stop();
        return;
    }
    const qint64 scaled = qint64(double(ms) / timeScale());
    deadline_.start(int(qBound(qint64(1), scaled, qint64(std::numeric_limits<int>::max()))));
}

bool MailSocket::ResolveHost(const QString& host, MailService)
{
    gSocketState = SocketState::Resolving;
    hostAddress.clear();
    const QString wanted = host.trimmed();
    peerName_ = wanted;
    if (!wanted.isEmpty())
        hostAddress = addressOfHost(wanted);
    if (hostAddress.isEmpty())
        return false;
    gSocketState = SocketState::DataReceived;
    return true;
}

void MailSocket::OpenMailConnection(quint16 port, bool implicitTls)
{
    gSocketState = SocketState::Connecting;
    if (!isConnected()) {
        closing_ = false;
        replyOpen_ = false;
        if (implicitTls) {
            if (trust_.problem()) {
                failTls(*trust_.problem());
                return;
            }
            sslErrors_.clear();
            handshaking_ = true;
            socket_.setSslConfiguration(trust_.configuration());
            socket_.connectToHostEncrypted(hostAddress, port, peerName_);
        } else {
            socket_.connectToHost(QHostAddress(hostAddress), port);
        }
    }
    // The greeting is the first data the server sends (after the handshake).
    const bool timedOut = waitForState(SocketState::DataReceived);
    if ((timedOut || gSocketState != SocketState::DataReceived) && error != MailError::TlsFailed)
        error = MailError::CannotConnect;
}

bool MailSocket::startTls()
{
    if (trust_.problem()) {
        failTls(*trust_.problem());
        return false;
    }
    if (!isConnected()) {
        failTls(QStringLiteral("the server closed the connection"));
        return false;
    }
    sslErrors_.clear();
    handshaking_ = true;
    replyOpen_ = false;
    PortIn.clear();
    socket_.setSslConfiguration(trust_.configuration());
    socket_.setPeerVerifyName(peerName_);
    socket_.startClientEncryption();
    const bool timedOut = waitTicks([this] { return socket_.isEncrypted(); });
    handshaking_ = false;
    return !timedOut && error == MailError::None && socket_.isEncrypted();
}

bool MailSocket::waitForState(qint16 doState)
{
    return waitTicks([&] { return gSocketState == doState; });
}

bool MailSocket::waitTicks(const std::function<bool()>& done)
{
    restartTimer();
    int count = timeoutTicks;
    do {
        tick = false;
        if (pumpUntil([&] { return done() || error != MailError::None; }))
            return false;
        if (expired_)
            break;
        --count;
    } while (count > 0);
    error = MailError::TimedOut;
    return true;
}

bool MailSocket::writeOut(const QByteArray& text)
{
    restartTimer();
    tick = false;
    if (!pumpUntil([&] { return isConnected() || error != MailError::None; }) || !isConnected())
        return false;
    replyOpen_ = false;
    socket_.write(text);
    if (socket_.bytesToWrite() == 0)
        return true;
    // Wait until the rest has gone out, then go on waiting for what the
    // dialogue was waiting for, unless its reply came in the meantime.
    const qint16 waitingFor = gSocketState;
    gSocketState = SocketState::WritePending;
    if (waitTicks([&] { return socket_.bytesToWrite() == 0; }))
        return false;
    if (gSocketState == SocketState::WritePending || gSocketState == SocketState::Writable)
        gSocketState = waitingFor;
    return error == MailError::None;
}

bool MailSocket::waitReadable()
{
    restartTimer();
    tick = false;
    pumpUntil([&] {
        return socket_.bytesAvailable() > 0 || error != MailError::None || !isConnected();
    });
    return socket_.bytesAvailable() > 0;
}

QByteArray MailSocket::readAvailable()
{
    return socket_.readAll();
}

void MailSocket::closeConnection()
{
    timer_.stop();
    if (socket_.state() == QAbstractSocket::UnconnectedState)
        return;
    closing_ = true;
    socket_.flush();  // a last QUIT still goes out
    socket_.disconnectFromHost();
    if (socket_.state() != QAbstractSocket::UnconnectedState)
        socket_.abort();
}

bool MailSocket::isConnected() const
{
    return socket_.state() == QAbstractSocket::ConnectedState;
}

void MailSocket::onReadyRead()
{
    if (reading)
        return;
    const QByteArray data = readAvailable();
    if (replyOpen_)
        PortIn += data;
    else
        PortIn = data;
    if (!replyComplete_(PortIn) && PortIn.size() >= kMaxReply) {
        // A server that never ends its line must not grow the reply
        // without bound: that is no reply.
        overlongReply = true;
        error = MailError::Disconnected;
        errorDescription = QStringLiteral("Reply without a line end");
        replyOpen_ = false;
        return;
    }
    if (replyComplete_(PortIn)) {
        replyOpen_ = false;
        gSocketState = SocketState::DataReceived;
        Q_EMIT replyReceived(PortIn);
    } else {
        replyOpen_ = true;
    }
}

void MailSocket::onBytesWritten()
{
    if (gSocketState == SocketState::WritePending && socket_.bytesToWrite() == 0)
        gSocketState = SocketState::Writable;
}

void MailSocket::onDisconnected()
{
    if (closing_ || error == MailError::TlsFailed)
        return;
    if (handshaking_) {
        failTls(QStringLiteral("the server closed the connection during the TLS handshake"));
        return;
    }
    error = MailError::Disconnected;
    errorDescription = QStringLiteral("Server Disconnected");
}

void MailSocket::onError(QAbstractSocket::SocketError socketError)
{
    // A remote close is reported by the disconnect event.
    if (closing_ || socketError == QAbstractSocket::RemoteHostClosedError || error == MailError::TlsFailed)
        return;
    if (handshaking_ || socketError == QAbstractSocket::SslHandshakeFailedError) {
        failTls(socket_.errorString());
        return;
    }
    error = socketErrorNumber(socketError);
    errorDescription = socket_.errorString();
}

void MailSocket::onSslErrors(const QList<QSslError>& errors)
{
    sslErrors_.append(trust_.settle(socket_, errors));
}

void MailSocket::failTls(const QString& fallback)
{
    handshaking_ = false;
    error = MailError::TlsFailed;
    errorDescription = QStringLiteral("Secure connection failed - ") + tlsFailureReason(sslErrors_, fallback);
}

void MailSocket::restartTimer()
{
    timer_.start(scaledMs(tickIntervalMs));
}

bool MailSocket::pumpUntil(const std::function<bool()>& done)
{
    while (!done()) {
        if (tick || expired_)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

}  // namespace torvex
