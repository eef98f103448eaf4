#pragma once

#include <QByteArray>
#include <QObject>
#include <QSslError>
#include <QSslSocket>
#include <QString>
#include <QTimer>

#include "common/mail_security.h"
#include "platform/mail/tls_trust.h"

#include <functional>
#include <utility>

namespace torvex {

// gSocketState: the last socket event, shared by the POP3 and SMTP
// dialogues (which never run at the same time).
namespace SocketState {
inline constexpr qint16 DataReceived = 10;   // a reply arrived (or the host resolved)
inline constexpr qint16 Writable = 12;       // the pending rest of a write went out
inline constexpr qint16 Resolving = 100;
inline constexpr qint16 Connecting = 110;
inline constexpr qint16 Connected = 120;
inline constexpr qint16 AwaitingReply = 210;
inline constexpr qint16 WritePending = 300;  // quit, or the rest of a write is pending
}  // namespace SocketState

// Error codes a dialogue keeps (gPOP_Error, gSMTP_Error) that the socket
// itself sets; other values are the socket's error numbers.
namespace MailError {
inline constexpr qint32 None = 0;
inline constexpr qint32 Disconnected = -1;    // the server closed the connection
inline constexpr qint32 CannotConnect = 6;
inline constexpr qint32 TimedOut = 7;
inline constexpr qint32 TlsFailed = 10;       // the TLS handshake failed (errorDescription says why)
inline constexpr qint32 TlsUnavailable = 11;  // STARTTLS / STLS asked for but not to be had
}  // namespace MailError

enum class MailService { POP, SMTP };

// The port a service is reached on: the one the settings name; else for
// TLS from the first byte POP3 995 and SMTP 465; else POP3 110, SMTP 25,
// or TORVEX_POP3_PORT / TORVEX_SMTP_PORT when set.
[[nodiscard]] quint16 mailPort(MailService service, const MailServerAccess& access = {});

// One mail connection on the Qt event loop, with the events of the socket
// control the dialogues were written for. Every wait processes events
// (without spinning) until its condition holds, the dialogue's error code
// becomes non-zero, or ticks of the one-minute timer run out.
class MailSocket : public QObject {
    Q_OBJECT

public:
    explicit MailSocket(QObject* parent = nullptr);
    ~MailSocket() override;

    // Prepares the socket for "POP" or "SMTP": drops any old connection and
    // resets the state, the error and the reply.
    void InitMailSocket(MailService service);

    // A dotted address of four numbers (or an IPv6 address) is taken as it
    // is; any other numeric text (a telephone number such as "5551234") is
    // no host; the rest are names and are looked up (this blocks, as host
    // look-ups may). On success hostAddress holds the address and
    // gSocketState becomes 10.
    bool ResolveHost(const QString& host, MailService service);

    // The certificates trusted besides the system's CA store, for the
    // connections that use TLS.
    void setTrust(TlsTrust trust) { trust_ = std::move(trust); }

    // Connects to hostAddress and waits for the server's greeting; when the
    // connection cannot be opened or no greeting comes in time, error = 6.
    // With implicitTls the connection is encrypted from its first byte: a
    // failed handshake gives error = 10.
    void OpenMailConnection(quint16 port, bool implicitTls = false);

    // STARTTLS / STLS: the TLS handshake over the open connection. The
    // server's certificate must be valid for the host ResolveHost was
    // given. False with error = 10 (errorDescription names the reason) or
    // 7 (time-out); nothing is sent in the clear afterwards either way.
    bool startTls();
    [[nodiscard]] bool isEncrypted() const { return socket_.isEncrypted(); }

    // POPTimout / SMTPTimout: waits until gSocketState equals doState or the
    // error is set (false), or timeoutTicks ticks passed (error = 7, true).
    bool waitForState(qint16 doState);

    // POPWriteOut / SMTPWriteBlock: true when the whole text went out.
    bool writeOut(const QByteArray& text);

    // Waits for readable data, at most one tick (the timer restarts, so
    // only a whole tick without data ends it). False when none came.
    bool waitReadable();

    // Reads what the socket holds (used while `reading` is set).
    QByteArray readAvailable();

    // A time bound for the whole conversation, in unscaled milliseconds
    // from now (below 0: none). Once it passes, every wait ends at once as
    // timed out (error = 7) and sessionExpired() holds.
    void setSessionDeadline(qint64 ms);
    [[nodiscard]] bool sessionExpired() const { return expired_; }

    // Closes the connection without notifying the dialogue; deletions a
    // POP3 server was asked for are dropped unless QUIT was accepted.
    void closeConnection();

    [[nodiscard]] bool isConnected() const;

    // Decides when the text collected in PortIn is a whole reply (then
    // gSocketState becomes 10). By default a reply ends with its first line
    // end; SMTP can ask for the last line of a multi-line reply.
    void setReplyComplete(std::function<bool(const QByteArray&)> complete);

    // The longest reply the socket collects; a longer one without its line
    // end makes overlongReply true and error -1.
    static constexpr qsizetype kMaxReply = 64 * 1024;

    qint16 gSocketState = SocketState::DataReceived;
    qint32 error = MailError::None;  // the dialogue's gPOP_Error / gSMTP_Error
    QString errorDescription;
    QByteArray PortIn;               // the newest reply
    bool reading = false;            // data is left in the socket for the reader
    bool tick = false;               // gPOPTick / the SMTP wait flag
    bool overlongReply = false;      // the server sent a line longer than kMaxReply
    QString hostAddress;
    int timeoutTicks = 2;            // gTimoutMinutes
    int tickIntervalMs = 60000;      // POPTimer / gMailTimerInterval, before scaling

Q_SIGNALS:
    // A whole reply is in PortIn.
    void replyReceived(const QByteArray& reply);

private:
    void onReadyRead();
    void onBytesWritten();
    void onDisconnected();
    void onError(QAbstractSocket::SocketError socketError);
    void onSslErrors(const QList<QSslError>& errors);
    // The handshake failed: error = 10 with the reason.
    void failTls(const QString& fallback);
    void restartTimer();
    // Waits until done() holds (false) or timeoutTicks ticks passed
    // (error = 7, true); the dialogue's error ends the wait as well.
    bool waitTicks(const std::function<bool()>& done);
    // Processes events until done() holds; false when a tick came first.
    bool pumpUntil(const std::function<bool()>& done);

    QSslSocket socket_;
    QTimer timer_;
    TlsTrust trust_;
    QString peerName_;             // the host name certificates are checked against
    QList<QSslError> sslErrors_;   // of the handshake under way
    bool handshaking_ = false;
    QTimer deadline_;
    bool expired_ = false;
    std::function<bool(const QByteArray&)> replyComplete_;
    bool replyOpen_ = false;  // PortIn holds the start of a reply still arriving
    bool closing_ = false;
};

// The socket error numbers the dialogues record (Winsock's, which the
// stored logs have always shown).
[[nodiscard]] qint32 socketErrorNumber(QAbstractSocket::SocketError socketError);

}  // namespace torvex
