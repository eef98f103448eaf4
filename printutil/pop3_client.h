#pragma once

#include "mail_socket.h"
#include "mail_transport.h"
#include "run_context.h"

#include <QByteArray>

namespace torvex {

// The POP3 fetch of the print utility: logs on to gLogin at gPOPServer,
// downloads every waiting message into the in folder as "n.TXT", deletes
// each on the server once it is stored, and quits. One connection per
// fetch; every wait runs the event loop, bounded by gTimoutMinutes ticks.
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

    explicit Pop3Client(RunContext& ctx);

    void CHECKMAIL_Click() override;
    void ProcessPOPFiles(InboxWriter& inbox) override;

    // gPOP_Error after the last fetch: 0, -1 (refused, disconnected or no
    // address), 6 (no connection), 7 (time-out) or a socket error number.
    [[nodiscard]] qint32 gPOP_Error() const { return POPSocket.error; }
    [[nodiscard]] qint32 numberOfMessages() const { return NumberOfMessages; }
    [[nodiscard]] qint32 lengthOfMessages() const { return LengthOfMessages; }

private:
    void POP_Process();
    bool RetrieveMessage(qint32 n);
    bool KillMessage(qint32 n);
    // Reads one reply line the dialogue asked for itself; false when a
    // whole tick passed without data.
    bool collectReply(QByteArray& collected);
    // Turns a refusal or a drop into gLastError.
    void reportError();

    RunContext& ctx_;
    MailSocket POPSocket;
    PopState POP_State = POP_OpenConnection;
    QByteArray command_;
    qint32 NumberOfMessages = 0;
    qint32 LengthOfMessages = 0;
    qint64 gBytesRetrieved = 0;
};

}  // namespace torvex
