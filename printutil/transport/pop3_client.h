#pragma once

#include "printutil/run/run_context.h"
#include "printutil/transport/mail_socket.h"
#include "printutil/transport/mail_transport.h"
#include "printutil/transport/pop3_failure.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QElapsedTimer>

#include <functional>
#include <map>

namespace torvex {

class UidlRecord;

// The POP3 fetch of the print utility: logs on to gLogin at gPOPServer,
// downloads every waiting message into the in folder as "n.TXT", deletes
// each on the server once it is stored, and quits. One connection per
// fetch; every wait runs the event loop, bounded by gTimoutMinutes ticks,
// and the whole session by a time bound derived from them and the sizes
// the server announced.
//
// Where the server offers UIDL, the ids of the messages stored whole are
// kept in a record beside the in folder: a message whose id is recorded is
// only deleted, never fetched again, so a session that ends before QUIT
// costs no second copy.
class Pop3Client final : public PopFetcher {
public:
    // The steps of the dialogue (POP_State).
    enum PopState : qint16 {
        POP_OpenConnection = 100,
        POP_UserValidation = 110,
        POP_PassValidation = 120,
        POP_Statistics = 200,
        POP_ReadStats = 205,
        POP_Transaction = 300,
        POP_Quit = 500,
    };

    // STAT counts above this are a protocol error, not a mailbox.
    static constexpr qint32 kMaxMessages = 100000;

    explicit Pop3Client(RunContext& ctx);
    ~Pop3Client() override;

    void CHECKMAIL_Click() override;
    void ProcessPOPFiles(InboxWriter& inbox) override;

    // gPOP_Error after the last fetch: 0, -1 (refused, disconnected or no
    // address), 6 (no connection), 7 (time-out), 10 (TLS failed), 11 (no
    // STLS to be had) or a socket error number.
    [[nodiscard]] qint32 gPOP_Error() const { return POPSocket.error; }
    [[nodiscard]] qint32 numberOfMessages() const { return NumberOfMessages; }
    [[nodiscard]] qint32 lengthOfMessages() const { return LengthOfMessages; }
    [[nodiscard]] Pop3Failure failure() const { return report_.kind; }

private:
    enum class Listing { Listed, NotOffered, Failed };

    void POP_Process();
    // STLS after the greeting, as POP3_Security asks; false when the
    // connection could not be secured (the fetch ends, nothing was sent
    // in the clear but CAPA and STLS).
    bool secureConnection(const MailServerAccess& access);
    // The server lists STLS in its CAPA answer.
    bool offersStls();
    // UIDL and LIST: the ids and sizes of the waiting messages.
    void readListings();
    Listing readListing(const QByteArray& command, const std::function<void(QByteArrayView)>& line);
    bool RetrieveMessage(qint32 n, const QByteArray& uid, UidlRecord& record);
    bool KillMessage(qint32 n);
    // Reads one reply line the dialogue asked for itself; false when a
    // whole tick passed without data or the line had no end.
    bool collectReply(QByteArray& collected);
    // Drops files of downloads that did not finish; keeps those whose id
    // was recorded (the session ended between the record and the marker).
    void recoverInFolder(const UidlRecord& record);
    // Limits the rest of the session from what the listing announced.
    void boundSession(qint64 bytes);
    void fail(Pop3Failure kind, qint64 number = 0, qint64 limit = 0);
    // Turns how the fetch ended into gLastError.
    void reportError();
    [[nodiscard]] QString mailboxName() const;
    [[nodiscard]] qint64 maxMessageBytes() const;

    RunContext& ctx_;
    MailSocket POPSocket;
    PopState POP_State = POP_OpenConnection;
    QByteArray command_;
    qint32 NumberOfMessages = 0;
    qint32 LengthOfMessages = 0;
    std::map<qint32, QByteArray> uids_;  // by message number, where UIDL gave one
    std::map<qint32, qint64> sizes_;     // by message number, where LIST gave one
    QElapsedTimer session_;
    qint64 sessionBoundMs_ = 0;          // unscaled
    Pop3FailureReport report_;
};

}  // namespace torvex
