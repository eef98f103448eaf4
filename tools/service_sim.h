#pragma once

#include "service_sim_accounts.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QObject>
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

// The service's web server on one port. Besides /bbs it answers control
// requests, in every mode:
//   /sim/mode?set=normal|stall|drop|empty|error   switch the mode
//   /sim/next?html=...                            the next /bbs answer, verbatim
//   /sim/log                                      the /bbs requests so far
class ServiceSim final : public QObject {
    Q_OBJECT
public:
    ServiceSim(AccountStore store, QString logPath, QObject* parent = nullptr);

    bool listen(const QHostAddress& address, quint16 port);
    [[nodiscard]] quint16 port() const { return server_.serverPort(); }
    void setMode(Mode mode) { mode_ = mode; }

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const QByteArray& head);
    void record(const QByteArray& target, const QString& user);

    QTcpServer server_;
    AccountStore store_;
    QString logPath_;
    QStringList log_;
    Mode mode_ = Mode::Normal;
    std::optional<QByteArray> next_;
    QHash<QTcpSocket*, QByteArray> pending_;
};

}  // namespace torvex::sim
