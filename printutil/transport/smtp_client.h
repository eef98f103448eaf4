#pragma once

#include "printutil/run/run_context.h"
#include "printutil/transport/mail_socket.h"
#include "printutil/transport/smtp_client_context.h"

#include <QByteArray>
#include <QList>

namespace torvex {

// The conversation over the shared mail socket on the Qt event loop: every
// wait processes events until the awaited socket event, an error, or
// gTimoutMinutes ticks of the mail timer.
class SmtpClient final : public SmtpConversation {
public:
    SmtpClient(const RunContext& ctx, SmtpContext& smtp);

    void InitMailSocket() override;
    SmtpResult SendEMail() override;

private:
    void SMTP_Process();
    void callHost();
    // After the server's answer to EHLO: STARTTLS and the log-on this
    // server's row asks for. SMTP_OK, or the code the row fails with.
    [[nodiscard]] qint32 secureAndLogOn();
    [[nodiscard]] qint32 logOn(const QList<QByteArray>& mechanisms);
    // Writes a command and waits for its reply; true when the reply holds
    // `code`. On false, error() is set when the connection failed.
    [[nodiscard]] bool exchange(const QString& command, const char* code);
    // EHLO instead of HELO: the row wants STARTTLS or a log-on.
    [[nodiscard]] bool extended() const;
    // Writes a command followed by CR LF.
    bool writeCommand(const QString& command);
    [[nodiscard]] bool SMTPTimout(qint16 doState);
    [[nodiscard]] bool SMTPWriteBlock(const QByteArray& text);
    void SendMessageText();
    void SMTPDisconnect();
    [[nodiscard]] bool replied(const char* code) const;
    void appendLogLine();
    // gSMTP_Error while the conversation runs; the socket's events set it.
    [[nodiscard]] qint32& error() { return SMTPSocket.error; }

    const RunContext& ctx_;
    SmtpContext& smtp_;
    MailSocket SMTPSocket;
    quint16 SMTP_State = SMTP_Idle;
    QByteArray command_;  // the last command with its CR LF
    QByteArray ehlo_;     // the server's answer to the last EHLO
    SmtpResult result_;   // of the conversation under way
};

}  // namespace torvex
