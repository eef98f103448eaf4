#include "service_sim.h"

#include "service_sim_bbs.h"

#include <QFile>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpSocket>
#include <QUrl>

namespace torvex::sim {
namespace {

// Requests are small; anything larger is not one of ours.
constexpr qsizetype kMaxHead = 64 * 1024;

void send(QTcpSocket* socket, const Reply& reply)
{
    QByteArray out = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reply.reason + "\r\n";
    out += "Content-Type: " + reply.contentType + "\r\n";
    out += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    if (reply.challenge)
        out += "WWW-Authenticate: Basic realm=\"TORVEX\"\r\n";
    out += "Connection: close\r\n\r\n" + reply.body;
    socket->write(out);
    socket->disconnectFromHost();
}

[[nodiscard]] Reply plain(const QByteArray& text)
{
    Reply reply;
    reply.contentType = "text/plain";
    reply.body = text;
    return reply;
}

// The value of one header line of the request head, empty when absent.
[[nodiscard]] QByteArray headerValue(const QList<QByteArray>& lines, const QByteArray& name)
{
    for (const QByteArray& line : lines) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

}  // namespace

std::optional<Mode> modeFromName(const QString& name)
{
    if (name == QLatin1String("normal"))
        return Mode::Normal;
    if (name == QLatin1String("stall"))
        return Mode::Stall;
    if (name == QLatin1String("drop"))
        return Mode::Drop;
    if (name == QLatin1String("empty"))
        return Mode::Empty;
    if (name == QLatin1String("error"))
        return Mode::Error;
    return std::nullopt;
}

ServiceSim::ServiceSim(AccountStore store, QString logPath, QObject* parent)
    : QObject(parent), store_(std::move(store)), logPath_(std::move(logPath))
{
    connect(&server_, &QTcpServer::newConnection, this, &ServiceSim::onNewConnection);
}

void SimListener::incomingConnection(qintptr descriptor)
{
    if (!tls) {
        QTcpServer::incomingConnection(descriptor);
        return;
    }
    auto* socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    socket->setSslConfiguration(*tls);
    socket->startServerEncryption();
    addPendingConnection(socket);
}

bool ServiceSim::listen(const QHostAddress& address, quint16 port)
{
    return server_.listen(address, port);
}

bool ServiceSim::useTls(const QString& certificateFile, const QString& keyFile)
{
    const QList<QSslCertificate> chain = QSslCertificate::fromPath(certificateFile);
    QFile file(keyFile);
    if (chain.isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray pem = file.readAll();
    QSslKey key(pem, QSsl::Ec);
    if (key.isNull())
        key = QSslKey(pem, QSsl::Rsa);
    if (key.isNull())
        return false;
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setLocalCertificateChain(chain);
    config.setPrivateKey(key);
    config.setPeerVerifyMode(QSslSocket::VerifyNone);
    server_.tls = config;
    return true;
}

void ServiceSim::onNewConnection()
{
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            pending_.remove(socket);
            socket->deleteLater();
        });
    }
}

void ServiceSim::onReadyRead(QTcpSocket* socket)
{
    if (!pending_.contains(socket) && socket->property("answered").toBool()) {
        socket->readAll();  // a stalled or answered connection: nothing more to do
        return;
    }
    QByteArray& buffer = pending_[socket];
    buffer += socket->readAll();
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0) {
        if (buffer.size() > kMaxHead)
            socket->abort();
        return;
    }
    const QByteArray head = buffer.left(end);
    pending_.remove(socket);
    socket->setProperty("answered", true);
    answer(socket, head);
}

void ServiceSim::record(const QByteArray& target, const QString& user)
{
    const QString line = QString::fromLatin1(target) + QStringLiteral(" user=")
        + (user.isEmpty() ? QStringLiteral("-") : user);
    log_.append(line);
    if (logPath_.isEmpty())
        return;
    QFile file(logPath_);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write(line.toUtf8() + '\n');
}

void ServiceSim::answer(QTcpSocket* socket, const QByteArray& head)
{
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> request = lines.value(0).trimmed().split(' ');
    if (request.size() < 2 || request[0] != "GET") {
        send(socket, errorPage(405, "Method Not Allowed", QStringLiteral("Only GET is served.")));
        return;
    }
    const QByteArray target = request[1];
    const qsizetype question = target.indexOf('?');
    const QByteArray path = question < 0 ? target : target.left(question);
    const QMap<QString, QString> query = parseQuery(question < 0 ? QByteArray() : target.mid(question + 1));

    if (path == "/sim/mode") {
        const std::optional<Mode> mode = modeFromName(query.value(QStringLiteral("set")));
        if (!mode) {
            send(socket, errorPage(400, "Bad Request", QStringLiteral("Unknown mode.")));
            return;
        }
        mode_ = *mode;
        send(socket, plain("ok\n"));
        return;
    }
    if (path == "/sim/next") {
        next_ = query.value(QStringLiteral("html")).toUtf8();
        send(socket, plain("ok\n"));
        return;
    }
    if (path == "/sim/log") {
        send(socket, plain(log_.join(QLatin1Char('\n')).toUtf8()));
        return;
    }
    if (path != "/bbs") {
        send(socket, errorPage(404, "Not Found", QStringLiteral("There is nothing here.")));
        return;
    }

    const std::optional<Credentials> credentials = parseBasicAuth(headerValue(lines, "Authorization"));
    record(target, credentials ? credentials->login : QString());
    switch (mode_) {
    case Mode::Stall:
        return;  // keep the connection open and never answer
    case Mode::Drop:
        socket->abort();
        return;
    case Mode::Empty: send(socket, plain(QByteArray())); return;
    case Mode::Error:
        send(socket, errorPage(500, "Internal Server Error", QStringLiteral("The service is out of order.")));
        return;
    case Mode::Normal: break;
    }
    if (next_) {
        Reply reply;
        reply.body = *std::exchange(next_, std::nullopt);
        send(socket, reply);
        return;
    }
    send(socket, bbsReply(query, credentials, store_));
}

}  // namespace torvex::sim
