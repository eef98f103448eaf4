#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace torvex::test {

// Debian's aiosmtpd (smtp_maildir_server.py) on a loopback address for one
// test: delivers every accepted message into a Maildir and logs every
// command line and envelope. Stopped on destruction.
class SmtpTestServer {
public:
    struct Delivery {
        QString mailFrom;
        QStringList rcptTo;
        QByteArray content;  // as the server stored it: unstuffed, without the final "." line
    };

    SmtpTestServer() = default;
    ~SmtpTestServer();
    SmtpTestServer(const SmtpTestServer&) = delete;
    SmtpTestServer& operator=(const SmtpTestServer&) = delete;

    // python3 with aiosmtpd is installed.
    [[nodiscard]] static bool available();

    struct Options {
        QStringList refused;  // recipients answered with 550
        QString tlsCert;      // with tlsKey: STARTTLS offered with this certificate
        QString tlsKey;
        bool implicitTls = false;  // TLS from the first byte instead of STARTTLS
        bool requireTls = false;   // no mail before STARTTLS
        QString auth;              // "LOGIN:PASSWORD": no mail before this log-on
        QStringList authExclude;   // mechanisms not offered ("PLAIN")
    };

    // Starts on host:port (0: a free port); true once it listens.
    bool start(const QString& host = QStringLiteral("127.0.0.1"), quint16 port = 0) { return start(host, port, {}); }
    bool start(const QString& host, quint16 port, const Options& options);
    void stop();
    // Stops and continues the server process (SIGSTOP, SIGCONT): while
    // paused the system still accepts connections on its port, but the
    // server answers nothing, as a hung server does.
    bool pause();
    bool resume();

    [[nodiscard]] quint16 port() const { return port_; }
    [[nodiscard]] QString maildir() const { return maildir_; }
    // The command lines received, in order.
    [[nodiscard]] QStringList commands() const;
    // The log-on attempts: "<mechanism> <login> <ok|refused> <tls|plain>".
    [[nodiscard]] QStringList logOns() const;
    [[nodiscard]] QList<Delivery> deliveries() const;

private:
    // The log's lines that start with the prefix, without it.
    [[nodiscard]] QStringList logged(QLatin1String prefix) const;

    QTemporaryDir dir_;
    QString maildir_ = dir_.filePath(QStringLiteral("Maildir"));
    QProcess process_;
    quint16 port_ = 0;
};

}  // namespace torvex::test
