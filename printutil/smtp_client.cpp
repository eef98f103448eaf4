#include "smtp_client.h"

#include "platform/mail_text.h"
#include "smtp_client_text.h"

namespace torvex {
namespace {

// A reply is complete when its last line is not a "nnn-" continuation, so a
// multi-line greeting is judged whole even when it arrives in pieces.
bool isCompleteReply(const QByteArray& data)
{
    if (!data.endsWith('\n'))
        return false;
    const QByteArray text = data.left(data.size() - 1);
    const QByteArray lastLine = text.mid(text.lastIndexOf('\n') + 1);
    return lastLine.size() < 4 || lastLine.at(3) != '-';
}

}  // namespace

SmtpClient::SmtpClient(const RunContext& ctx, SmtpContext& smtp) : ctx_(ctx), smtp_(smtp)
{
    SMTPSocket.setReplyComplete(&isCompleteReply);
}

void SmtpClient::InitMailSocket()
{
    SMTPSocket.InitMailSocket(MailService::SMTP);
    SMTPSocket.setReplyComplete(&isCompleteReply);
}

void SmtpClient::SendEMail()
{
    SMTPSocket.timeoutTicks = ctx_.info.gTimoutMinutes;
    SMTPSocket.tickIntervalMs = smtp_.gMailTimerInterval;
    SMTPSocket.PortIn.clear();
    error() = SMTP_OK;
    smtp_.gDataOutcome = SmtpContext::DataOutcome::NotSent;
    smtp_.gSenderRefused = false;
    qint32 remembered = SMTP_OK;
    QByteArray refusal;
    QString refusedStep;

    const auto finish = [this, &remembered, &refusal, &refusedStep] {
        // Past the greeting a refusal is the outcome: its code, its reply
        // and its step are what the log reports, whatever the QUIT got.
        if (remembered != SMTP_OK) {
            error() = remembered;
            smtp_.gSMTPStateName = refusedStep;
        }
        smtp_.gInBuffer = mailText(remembered != SMTP_OK ? refusal : SMTPSocket.PortIn);
        smtp_.gSMTP_Error = error();
        smtp_.gSMTPErrorDescription = SMTPSocket.errorDescription;
        appendLogLine();
        SMTPDisconnect();
    };

    // Past the greeting a refusal is answered with QUIT; false when the
    // QUIT could not be written.
    const auto quitAfterRefusal = [&] {
        remembered = error();
        refusal = SMTPSocket.PortIn;
        refusedStep = smtp_.gSMTPStateName;
        // With the error still set the socket would neither send the QUIT
        // nor wait for its reply; it is put back at the end.
        error() = SMTP_OK;
        return SMTPWriteBlock(QByteArrayLiteral("QUIT\r\n"));
    };

    for (const SmtpStep step :
         {SMTP_CallHost, SMTP_OpenConnection, SMTP_HELO, SMTP_MAIL, SMTP_RCPT, SMTP_DATA}) {
        SMTP_State = step;
        smtp_.gSMTPStateName = smtpStepName(step);
        SMTP_Process();
        if (step != SMTP_CallHost) {
            SMTPSocket.gSocketState = SocketState::AwaitingReply;
            if (SMTPTimout(SocketState::DataReceived))
                return finish();
        }
        if (error() == SMTP_OK)
            continue;
        if (step == SMTP_CallHost || step == SMTP_OpenConnection)
            return finish();
        if (!quitAfterRefusal())
            return finish();
        break;
    }

    if (remembered == SMTP_OK) {
        SMTP_State = SMTP_QUIT;
        smtp_.gSMTPStateName = smtpStepName(SMTP_QUIT);
        SMTP_Process();
        // A refused message is told QUIT like every other refusal.
        if (error() == SMTP_MessageRefused) {
            if (!quitAfterRefusal())
                return finish();
        } else if (error() != SMTP_OK) {
            return finish();
        }
    }
    SMTPSocket.gSocketState = SocketState::AwaitingReply;
    if (SMTPTimout(SocketState::DataReceived))
        return finish();
    SMTP_State = SMTP_CONFIRM_QUIT;
    smtp_.gSMTPStateName = smtpStepName(SMTP_CONFIRM_QUIT);
    SMTP_Process();
    finish();
}

void SmtpClient::SMTP_Process()
{
    error() = SMTP_OK;
    const auto refuse = [this](qint32 code) {
        error() = code;
        command_ = QByteArrayLiteral("QUIT\r\n");
        SMTP_State = SMTP_QUIT;
    };

    switch (SMTP_State) {
    case SMTP_CallHost:
        callHost();
        break;
    case SMTP_OpenConnection:
        if (replied("220 "))
            writeCommand(QStringLiteral("HELO ") + smtp_.gSMTPSendToServer);
        else
            refuse(SMTP_ServiceUnavailable);
        break;
    case SMTP_HELO:
        if (replied("250 "))
            writeCommand(QStringLiteral("MAIL FROM: <") + smtp_.gSMTPSenderAddr + QLatin1Char('>'));
        else
            refuse(SMTP_ServiceUnavailable);
        break;
    case SMTP_MAIL:
        if (replied("250 ")) {
            writeCommand(QStringLiteral("RCPT TO: <") + smtp_.gSMTPRecipAddr + QLatin1Char('>'));
        } else {
            smtp_.gSenderRefused = true;
            refuse(SMTP_ServiceUnavailable);
        }
        break;
    case SMTP_RCPT:
        if (replied("250 "))
            writeCommand(QStringLiteral("DATA"));
        else
            refuse(SMTP_RecipientRefused);
        break;
    case SMTP_DATA:
        if (replied("354 "))
            SendMessageText();
        else
            refuse(SMTP_DataRefused);
        break;
    case SMTP_QUIT:
        if (replied("250 ")) {
            smtp_.gDataOutcome = SmtpContext::DataOutcome::Accepted;
            if (smtp_.onAccepted)
                smtp_.onAccepted();
            writeCommand(QStringLiteral("QUIT"));
        } else {
            smtp_.gDataOutcome = SmtpContext::DataOutcome::NotSent;  // refused outright
            error() = SMTP_MessageRefused;
            SMTP_State = SMTP_Idle;
        }
        break;
    case SMTP_CONFIRM_QUIT:
        if (replied("221 "))
            SMTPDisconnect();
        else
            error() = SMTP_MessageRefused;
        SMTP_State = SMTP_Idle;
        break;
    default:
        break;
    }

    // A command that could not be written whole: wait for the socket to
    // take the rest.
    if (SMTP_State != SMTP_Idle && SMTP_State != SMTP_CONFIRM_QUIT
        && !(error() != SMTP_OK && SMTP_State == SMTP_QUIT)) {
        SMTPSocket.gSocketState = SocketState::WritePending;
        (void)SMTPTimout(SocketState::Writable);
    }
}

void SmtpClient::callHost()
{
    if (!SMTPSocket.ResolveHost(smtp_.gSMTPSendToServer, MailService::SMTP)) {
        error() = SMTP_NoAddress;
        SMTPSocket.errorDescription = QStringLiteral("Unable to find an IP Address for - ");
        return;
    }
    (void)SMTPTimout(SocketState::DataReceived);
    SMTPSocket.OpenMailConnection(mailPort(MailService::SMTP));
    if (error() == SMTP_OK)
        SMTP_State = SMTP_Idle;
}

bool SmtpClient::writeCommand(const QString& command)
{
    // Addresses and the server name come from settings and received mail;
    // on one line they cannot add a command.
    command_ = mailBytes(oneLine(command)) + "\r\n";
    return SMTPWriteBlock(command_);
}

bool SmtpClient::SMTPTimout(qint16 doState)
{
    return SMTPSocket.waitForState(doState);
}

bool SmtpClient::SMTPWriteBlock(const QByteArray& text)
{
    if (!SMTPSocket.isConnected()) {
        // A closed connection never becomes writable again.
        error() = SMTP_Disconnected;
        SMTPSocket.errorDescription = QStringLiteral("Server Disconnected");
        return false;
    }
    if (!SMTPSocket.writeOut(text))
        return false;
    SMTP_State = SMTP_Idle;
    return true;
}

void SmtpClient::SendMessageText()
{
    for (const QByteArray& chunk : chunksOf(smtpData(smtp_.gSMTPMessage))) {
        if (!SMTPWriteBlock(chunk))
            return;
    }
    // From here on, until its reply, the server may have the message.
    smtp_.gDataOutcome = SmtpContext::DataOutcome::Unanswered;
    SMTP_State = SMTP_Idle;
}

void SmtpClient::SMTPDisconnect()
{
    SMTPSocket.closeConnection();
    SMTPSocket.gSocketState = SocketState::DataReceived;
}

bool SmtpClient::replied(const char* code) const
{
    return SMTPSocket.PortIn.contains(code);
}

void SmtpClient::appendLogLine()
{
    smtp_.gSMTPLog += smtp_.gSMTPStateName + QStringLiteral(" + ")
        + SMTPErrorText(smtp_, smtp_.gSMTP_Error) + QStringLiteral(" + ")
        + oneLine(smtp_.gInBuffer).trimmed() + QStringLiteral(", ");
}

}  // namespace torvex
