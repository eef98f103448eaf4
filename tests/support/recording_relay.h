#pragma once

#include <QByteArray>
#include <QObject>
#include <QTcpServer>

#include <memory>
#include <vector>

class QTcpSocket;

namespace torvex::test {

// A TCP relay on loopback in front of a server, keeping every byte the
// client sends: what a listener on the wire would see. It
// runs on the test's event loop, which the client's waits process.
class RecordingRelay : public QObject {
public:
    explicit RecordingRelay(quint16 targetPort, QObject* parent = nullptr);
    ~RecordingRelay() override;

    bool listen();
    [[nodiscard]] quint16 port() const { return server_.serverPort(); }

    QByteArray fromClient;

private:
    void onNewConnection();

    quint16 targetPort_;
    QTcpServer server_;
    std::vector<std::unique_ptr<QTcpSocket>> sockets_;
};

}  // namespace torvex::test
