#pragma once

#include "service_sim_accounts.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QSslConfiguration>
#include <QStringList>
#include <QTcpServer>

#include <optional>

class QTcpSocket;

namespace torvex::sim {

// How the simulator answers /bbs requests: properly, not at all (the
// connection stays open), by closing the connection, with an empty
// document, or with a server error page.
enum class Mode { Normal, Stall, Drop, Empty, Error };
[[nodiscard]] std::optional<Mode> modeFromName(const QString& name);

// Accepts connections, with TLS from the first byte when it has a
// configuration for it.
class SimListener final : public QTcpServer {
public:
    std::optional<QSslConfiguration> tls;

protected:
    void incomingConnection(qintptr descriptor) override;
};

// The service's web server on one port (https when given a certificate). Besides /bbs it answers control
// requests, in every mode:
//   /sim/mode?set=normal|stall|drop|empty|error   switch the mode
//   /sim/next?html=...                            the next /bbs answer, verbatim
//   /sim/log                                      the /bbs requests so far
class ServiceSim final : public QObject {
    Q_OBJECT
public:
    ServiceSim(AccountStore store, QString logPath, QObject* parent = nullptr);

    bool listen(const QHostAddress& address, quint16 port);
    // Serves https with this server certificate and key (PEM); false when
    // they cannot be read.
    bool useTls(const QString& certificateFile, const QString& keyFile);
    [[nodiscard]] quint16 port() const { return server_.serverPort(); }
    void setMode(Mode mode) { mode_ = mode; }

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const QByteArray& head);
    void record(const QByteArray& target, const QString& user);

    SimListener server_;
    AccountStore store_;
    QString logPath_;
    QStringList log_;
    Mode mode_ = Mode::Normal;
    std::optional<QByteArray> next_;
    QHash<QTcpSocket*, QByteArray> pending_;
};

}  // namespace torvex::sim
