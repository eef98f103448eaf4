#include "smtp_client_context.h"

namespace torvex {

QString SMTPErrorText(const SmtpResult& result)
{
    switch (result.gSMTP_Error) {
    case SMTP_OK:
        return QStringLiteral("Alles OK");
    case SMTP_ServiceUnavailable:
        return QStringLiteral("SMTP Service Unavailable on the server - ");
    case SMTP_RecipientRefused:
    case SMTP_DataRefused:
        return QStringLiteral("The SMTP server replied - ") + result.gInBuffer.mid(4).trimmed();
    case SMTP_MessageRefused:
        return QStringLiteral("Mail Command Syntax Error");
    case SMTP_NoAddress:
        return QStringLiteral("Unable to obtain an Internet Address for the server - ");
    case SMTP_NoConnection:
        return QStringLiteral("Unable to connect to the server - ");
    case SMTP_TimedOut:
        return QStringLiteral("The connection timed out");
    case SMTP_AuthRequired:
        return QStringLiteral("The SMTP server requires a log-on - ") + result.gInBuffer.mid(4).trimmed();
    case SMTP_AuthRefused:
        return QStringLiteral("The SMTP server refused the log-on - ") + result.gSMTPErrorDescription;
    default:
        return result.gSMTPErrorDescription;
    }
}

QString smtpStepName(SmtpStep step)
{
    switch (step) {
    case SMTP_Idle:
        return QStringLiteral("SMTP_Idle");
    case SMTP_OpenConnection:
        return QStringLiteral("SMTP_OpenConnection");
    case SMTP_HELO:
        return QStringLiteral("SMTP_HELO");
    case SMTP_MAIL:
        return QStringLiteral("SMTP_MAIL");
    case SMTP_RCPT:
        return QStringLiteral("SMTP_RCPT");
    case SMTP_DATA:
        return QStringLiteral("SMTP_DATA");
    case SMTP_QUIT:
        return QStringLiteral("SMTP_QUIT");
    case SMTP_CONFIRM_QUIT:
        return QStringLiteral("SMTP_CONFIRM_QUIT");
    case SMTP_CallHost:
        return QStringLiteral("SMTP_CallHost");
    }
    return QString();
}

}  // namespace torvex
