#include "smtp_client.h"

#include "platform/mail/mail_text.h"
#include "printutil/transport/smtp_client_text.h"

#include <algorithm>

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

// The keyword lines of an EHLO answer ("250-STARTTLS", "250 AUTH PLAIN
// LOGIN", the old "250-AUTH=LOGIN"), upper-cased, without their codes.
QList<QByteArray> ehloLines(const QByteArray& reply)
{
    QList<QByteArray> lines;
    for (const QByteArray& line : reply.split('\n')) {
        QByteArray text = line.mid(4).trimmed().toUpper();
        if (!text.isEmpty())
            lines.append(text.replace('=', ' '));
    }
    return lines;
}

bool offers(const QList<QByteArray>& lines, const QByteArray& keyword)
{
    return std::any_of(lines.begin(), lines.end(), [&](const QByteArray& line) {
        return line == keyword || line.startsWith(keyword + ' ');
    });
}

// The SASL mechanisms an EHLO answer names after AUTH.
QList<QByteArray> authMechanisms(const QList<QByteArray>& lines)
{
    QList<QByteArray> mechanisms;
    for (const QByteArray& line : lines) {
        if (line.startsWith("AUTH "))
            mechanisms += line.mid(5).simplified().split(' ');
    }
    return mechanisms;
}

// A 530 answer: the server takes no mail without a log-on.
bool asksForLogOn(const QByteArray& reply)
{
    return reply.startsWith("530");
}

bool isStartTls(MailSecurity security)
{
    return security == MailSecurity::StartTlsWhenOffered || security == MailSecurity::StartTlsRequired;
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

SmtpResult SmtpClient::SendEMail()
{
    SMTPSocket.timeoutTicks = ctx_.info.gTimoutMinutes;
    SMTPSocket.tickIntervalMs = smtp_.gMailTimerInterval;
    SMTPSocket.PortIn.clear();
    error() = SMTP_OK;
    result_ = {};
    qint32 remembered = SMTP_OK;
    QByteArray refusal;
    QString refusedStep;
    QString refusalDescription;

    const auto finish = [&] {
        // Past the greeting a refusal is the outcome: its code, its reply
        // and its step are what the log reports, whatever the QUIT got.
        if (remembered != SMTP_OK) {
            error() = remembered;
            smtp_.gSMTPStateName = refusedStep;
            SMTPSocket.errorDescription = refusalDescription;
        }
        result_.gInBuffer = mailText(remembered != SMTP_OK ? refusal : SMTPSocket.PortIn);
        result_.gSMTP_Error = error();
        result_.gSMTPErrorDescription = SMTPSocket.errorDescription;
        appendLogLine();
        SMTPDisconnect();
        return result_;
    };

    // Past the greeting a refusal is answered with QUIT; false when the
    // QUIT could not be written.
    const auto quitAfterRefusal = [&] {
        remembered = error();
        refusal = SMTPSocket.PortIn;
        refusedStep = smtp_.gSMTPStateName;
        refusalDescription = SMTPSocket.errorDescription;
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
        // A failed or stalled handshake leaves nothing to say QUIT over.
        if (step == SMTP_CallHost || step == SMTP_OpenConnection || error() == SMTP_TlsFailed
            || error() == SMTP_TimedOut)
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
    return finish();
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
            writeCommand((extended() ? QStringLiteral("EHLO ") : QStringLiteral("HELO "))
                         + smtp_.gSMTPSendToServer);
        else
            refuse(SMTP_ServiceUnavailable);
        break;
    case SMTP_HELO:
        if (!replied("250 ")) {
            refuse(asksForLogOn(SMTPSocket.PortIn) ? SMTP_AuthRequired : SMTP_ServiceUnavailable);
        } else if (const qint32 code = extended() ? secureAndLogOn() : SMTP_OK; code == SMTP_OK) {
            writeCommand(QStringLiteral("MAIL FROM: <") + smtp_.gSMTPSenderAddr + QLatin1Char('>'));
        } else if (code == SMTP_TlsFailed || code == SMTP_TimedOut || code == SMTP_Disconnected) {
            error() = code;
            SMTP_State = SMTP_Idle;
        } else {
            refuse(code);
        }
        break;
    case SMTP_MAIL:
        if (replied("250 ")) {
            writeCommand(QStringLiteral("RCPT TO: <") + smtp_.gSMTPRecipAddr + QLatin1Char('>'));
        } else if (asksForLogOn(SMTPSocket.PortIn)) {
            refuse(SMTP_AuthRequired);  // no other sender changes that
        } else {
            result_.senderRefused = true;
            refuse(SMTP_ServiceUnavailable);
        }
        break;
    case SMTP_RCPT:
        if (replied("250 "))
            writeCommand(QStringLiteral("DATA"));
        else
            refuse(asksForLogOn(SMTPSocket.PortIn) ? SMTP_AuthRequired : SMTP_RecipientRefused);
        break;
    case SMTP_DATA:
        if (replied("354 "))
            SendMessageText();
        else
            refuse(SMTP_DataRefused);
        break;
    case SMTP_QUIT:
        if (replied("250 ")) {
            result_.dataOutcome = SmtpResult::DataOutcome::Accepted;
            if (smtp_.onAccepted)
                smtp_.onAccepted();
            writeCommand(QStringLiteral("QUIT"));
        } else {
            result_.dataOutcome = SmtpResult::DataOutcome::NotSent;  // refused outright
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
    const MailServerAccess& access = smtp_.gSMTPAccess;
    SMTPSocket.setTrust(TlsTrust(access.trustedCertificateFile));
    SMTPSocket.OpenMailConnection(mailPort(MailService::SMTP, access),
                                  access.security == MailSecurity::ImplicitTls);
    if (error() == SMTP_OK)
        SMTP_State = SMTP_Idle;
}

bool SmtpClient::extended() const
{
    return isStartTls(smtp_.gSMTPAccess.security) || !smtp_.gSMTPAccess.user.isEmpty();
}

bool SmtpClient::exchange(const QString& command, const char* code)
{
    if (!writeCommand(command))
        return false;
    SMTPSocket.gSocketState = SocketState::AwaitingReply;
    if (SMTPTimout(SocketState::DataReceived))
        return false;
    return error() == SMTP_OK && replied(code);
}

qint32 SmtpClient::secureAndLogOn()
{
    const MailServerAccess& access = smtp_.gSMTPAccess;
    ehlo_ = SMTPSocket.PortIn;
    const auto unavailable = [this](const QString& reason) {
        SMTPSocket.errorDescription = QStringLiteral("No secure connection - ") + reason;
        return qint32(SMTP_TlsUnavailable);
    };

    if (isStartTls(access.security) && !SMTPSocket.isEncrypted()) {
        if (offers(ehloLines(ehlo_), "STARTTLS")) {
            if (!exchange(QStringLiteral("STARTTLS"), "220 ")) {
                if (error() != SMTP_OK)
                    return error();
                return unavailable(QStringLiteral("the server refused STARTTLS: ")
                                   + oneLine(mailText(SMTPSocket.PortIn)).trimmed());
            }
            if (!SMTPSocket.startTls())
                return error();
            // What the server said before the handshake no longer counts.
            if (!exchange(QStringLiteral("EHLO ") + smtp_.gSMTPSendToServer, "250 "))
                return error() != SMTP_OK ? error() : qint32(SMTP_ServiceUnavailable);
            ehlo_ = SMTPSocket.PortIn;
        } else if (access.security == MailSecurity::StartTlsRequired) {
            return unavailable(QStringLiteral("the server does not offer STARTTLS"));
        }
    }
    if (access.user.isEmpty())
        return SMTP_OK;
    // The password never goes out in the clear.
    if (!SMTPSocket.isEncrypted())
        return unavailable(QStringLiteral("the log-on needs STARTTLS or TLS"));
    const QList<QByteArray> mechanisms = authMechanisms(ehloLines(ehlo_));
    // A server that names no way to log on may take the mail without one.
    return mechanisms.isEmpty() ? qint32(SMTP_OK) : logOn(mechanisms);
}

qint32 SmtpClient::logOn(const QList<QByteArray>& mechanisms)
{
    const MailServerAccess& access = smtp_.gSMTPAccess;
    const QByteArray user = access.user.toUtf8();
    const QByteArray password = access.password.toUtf8();
    const auto b64 = [](const QByteArray& text) { return QString::fromLatin1(text.toBase64()); };
    bool accepted = false;
    if (mechanisms.contains("PLAIN")) {
        accepted = exchange(QStringLiteral("AUTH PLAIN ") + b64('\0' + user + '\0' + password), "235 ");
    } else if (mechanisms.contains("LOGIN")) {
        accepted = exchange(QStringLiteral("AUTH LOGIN"), "334 ") && exchange(b64(user), "334 ")
            && exchange(b64(password), "235 ");
    } else {
        SMTPSocket.errorDescription = QStringLiteral("it offers neither AUTH PLAIN nor AUTH LOGIN");
        return SMTP_AuthRefused;
    }
    if (accepted)
        return SMTP_OK;
    if (error() != SMTP_OK)
        return error();
    SMTPSocket.errorDescription = oneLine(mailText(SMTPSocket.PortIn.mid(4))).trimmed();
    return SMTP_AuthRefused;
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
    result_.dataOutcome = SmtpResult::DataOutcome::Unanswered;
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
        + SMTPErrorText(result_) + QStringLiteral(" + ")
        + oneLine(result_.gInBuffer).trimmed() + QStringLiteral(", ");
}

}  // namespace torvex
