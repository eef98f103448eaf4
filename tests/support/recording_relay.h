#pragma once

#include <QByteArray>
#include <QObject>
#include <QTcpServer>

#include <functional>

class QTcpSocket;

namespace torvex::test {

// A TCP relay on loopback in front of a server, keeping every byte the
// client sends: what a listener on the wire would see. Armed, it stops
// passing data in one direction from the moment the stream matches, so a
// conversation stands still at a known point (until the client is killed).
// It runs on the test's event loop, which the client's waits process.
class RecordingRelay : public QObject {
public:
    using Match = std::function<bool(const QByteArray& recent)>;

    explicit RecordingRelay(quint16 targetPort, QObject* parent = nullptr);

    bool listen();
    [[nodiscard]] quint16 port() const { return server_.serverPort(); }

    // Holds what the client sends, or what the server answers, from the
    // chunk on which the last 512 bytes of that direction match.
    void holdClient(Match match) { arm(std::move(match), {}); }
    void holdServer(Match match) { arm({}, std::move(match)); }
    void passEverything() { arm({}, {}); }
    [[nodiscard]] bool held() const { return held_; }

    QByteArray fromClient;  // what was passed on to the server

private:
    void arm(Match client, Match server);
    void onNewConnection();
    void pass(QTcpSocket& from, QTcpSocket& to, QByteArray& recent, const Match& hold, bool clientSide);

    quint16 targetPort_;
    QTcpServer server_;
    Match holdClient_;
    Match holdServer_;
    bool held_ = false;
};

}  // namespace torvex::test
