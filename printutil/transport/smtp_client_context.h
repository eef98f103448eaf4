#pragma once

#include "common/mail_security.h"

#include <QString>

#include <functional>

namespace torvex {

// What one message's sending shares between the composers, the server
// selection and the SMTP conversation.
struct SmtpContext {
    QString gSMTPSendToServer;   // server of this attempt
    MailServerAccess gSMTPAccess;  // its security, port and log-on
    QString gSMTPSenderAddr;     // envelope sender, bare
    QString gSMTPRecipAddr;      // envelope recipient, bare after selection
    QString gSMTPMessage;        // header lines, an empty line, the body; CR LF line ends
    QString gSMTPStateName;      // the step last started, for the log
    QString gSMTPLog;            // one line per conversation of the current message
    int gMailTimerInterval = 60000;
    bool gTestMode = false;
    // Called the moment a server takes the message, before QUIT, so that a
    // stored copy waiting to be sent can go at once.
    std::function<void()> onAccepted;
};

// gSMTP_Error values; anything else is the number of a socket error.
enum SmtpError : qint32 {
    SMTP_OK = 0,
    SMTP_ServiceUnavailable = 1,  // no "220 " greeting, or HELO / MAIL FROM not "250 "
    SMTP_RecipientRefused = 2,    // RCPT TO not answered "250 "
    SMTP_DataRefused = 3,         // DATA not answered "354 "
    SMTP_MessageRefused = 4,      // the message not "250 ", or QUIT not "221 "
    SMTP_NoAddress = 5,           // the server's name has no address
    SMTP_NoConnection = 6,        // the connection could not be opened
    SMTP_TimedOut = 7,            // a wait ran out
    SMTP_AuthRequired = 8,        // the server wants a log-on the row has not got (530)
    SMTP_AuthRefused = 9,         // the server refused the log-on, or knows no way we log on
    SMTP_TlsFailed = 10,          // the TLS handshake failed (certificate, drop)
    SMTP_TlsUnavailable = 11,     // STARTTLS wanted but not offered or refused
    SMTP_Disconnected = -1,       // the server closed the connection
};

// What one conversation came to.
struct SmtpResult {
    qint32 gSMTP_Error = SMTP_OK;  // SmtpError code or a socket error number
    QString gSMTPErrorDescription;
    QString gInBuffer;             // the last reply (after a refusal, the refusing one)

    // How far the conversation got with the message itself.
    enum class DataOutcome {
        NotSent,     // never sent whole, or refused in so many words
        Unanswered,  // sent whole, its reply never came: it may have arrived
        Accepted,    // the server took it ("250" to the data)
    };
    DataOutcome dataOutcome = DataOutcome::NotSent;
    bool senderRefused = false;  // MAIL FROM was refused: another sender may do

    // The server has the message, even when the goodbye after it went wrong.
    [[nodiscard]] bool taken() const { return gSMTP_Error == SMTP_OK || dataOutcome == DataOutcome::Accepted; }
};

// The text for the result's error code, as the conversation log shows it.
// The texts of 9, 10 and 11 name the reason the client found (in
// gSMTPErrorDescription).
[[nodiscard]] QString SMTPErrorText(const SmtpResult& result);

// One complete SMTP conversation per call; the server selection calls it
// once per server it tries.
class SmtpConversation {
public:
    virtual ~SmtpConversation() = default;
    // Prepares the connection for a new message.
    virtual void InitMailSocket() = 0;
    // Talks to smtp.gSMTPSendToServer about smtp.gSMTPMessage and appends
    // one line to smtp.gSMTPLog. gSMTP_Error 0: accepted and closed with "221 ".
    virtual SmtpResult SendEMail() = 0;
};

// The steps of the conversation (SMTP_State) and the idle value.
enum SmtpStep : quint16 {
    SMTP_Idle = 10,
    SMTP_OpenConnection = 1100,
    SMTP_HELO = 1110,
    SMTP_MAIL = 1120,
    SMTP_RCPT = 1200,
    SMTP_DATA = 1300,
    SMTP_QUIT = 1400,
    SMTP_CONFIRM_QUIT = 1450,
    SMTP_CallHost = 1500,
};

[[nodiscard]] QString smtpStepName(SmtpStep step);

}  // namespace torvex
