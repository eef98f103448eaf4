#pragma once

#include <QByteArray>
#include <QString>

namespace torvex {

// Why a POP3 fetch ended early or left a message on the server. Each kind
// gives its own last_error text, so no run that failed reports success.
enum class Pop3Failure {
    None,
    NoAddress,         // the host name has no address
    NoConnection,      // refused or unreachable
    TimedOut,          // a wait for the server ran out (the greeting included)
    SessionTooLong,    // the whole session ran past its time bound
    Refused,           // "-ERR" to USER, PASS or STAT: the server's own words
    Disconnected,      // the server closed the connection
    Garbled,           // a reply that is neither "+OK" nor "-ERR"
    Overlong,          // a reply line without end
    TooManyMessages,   // STAT announced more messages than any mailbox holds
    MessageTooLarge,   // announced above the size cap: left on the server
    MessageOverran,    // grew past the size its status line announced
    NotStored,         // the in folder could not take the message
    QuitTimedOut,      // no reply to QUIT
    QuitRefused,       // QUIT not answered "+OK": deletions may not have happened
    SocketError,       // any other error the connection reported
    TlsFailed,         // the TLS handshake failed (the description says why)
    StlsRefused,       // STLS asked for and not answered "+OK"
};

// What the text of a failure is made of.
struct Pop3FailureReport {
    Pop3Failure kind = Pop3Failure::None;
    QString host;
    QByteArray reply;        // the last reply (the server's words)
    QString description;     // the socket's error description (for TlsFailed: why)
    qint64 number = 0;       // the message, or the count STAT announced
    qint64 limit = 0;        // the limit that was passed (messages, MB, minutes)
};

// "Retrieval Error : " and the reason, for last_error; empty for None.
[[nodiscard]] QString retrievalErrorText(const Pop3FailureReport& report);

}  // namespace torvex
