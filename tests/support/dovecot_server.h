#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace torvex::test {

// Debian's Dovecot serving POP3 for one test: its own configuration and
// run folders, a passwd-file user and that user's Maildir, on a free
// loopback port. Runs unprivileged, or as root with the mail processes as
// "nobody" (Dovecot refuses root for mail access). Stopped on destruction.
class DovecotServer {
public:
    DovecotServer();
    ~DovecotServer();
    DovecotServer(const DovecotServer&) = delete;
    DovecotServer& operator=(const DovecotServer&) = delete;

    // The dovecot binary is installed.
    [[nodiscard]] static bool available();

    // Before start: TLS required for every log-on with this certificate and
    // key, STLS on port() and POP3S on tlsPort().
    void useTls(const QString& cert, const QString& key)
    {
        cert_ = cert;
        key_ = key;
    }
    [[nodiscard]] quint16 tlsPort() const { return tlsPort_; }

    // Writes the configuration and starts the server for the user "torvex"
    // (password "secret"); true once it accepts connections.
    bool start();
    void stop();

    [[nodiscard]] quint16 port() const { return port_; }
    [[nodiscard]] QString user() const { return user_; }
    [[nodiscard]] QString password() const { return password_; }
    // The user's Maildir (cur/, new/, tmp/).
    [[nodiscard]] QString maildir() const;

    // Puts one message (CR LF line ends as given) into new/, readable by
    // the server. Returns its file path.
    QString deliver(const QByteArray& message);
    // Makes files others wrote into the Maildir the server's own.
    void adoptMaildir();
    // The messages now in the mailbox, new/ and cur/ together, as read from disk.
    [[nodiscard]] QList<QByteArray> messages() const;
    [[nodiscard]] QString log() const;

private:
    QTemporaryDir dir_;
    QString user_ = QStringLiteral("torvex");
    QString password_ = QStringLiteral("secret");
    quint16 port_ = 0;
    quint16 tlsPort_ = 0;
    QString cert_;
    QString key_;
    qint64 masterPid_ = 0;
};

// The message files of one Maildir folder (new/ and cur/).
[[nodiscard]] QStringList maildirMessageFiles(const QString& folder);

// A free TCP port on the loopback address, for a server a test starts.
[[nodiscard]] quint16 freeLoopbackPort();

}  // namespace torvex::test
