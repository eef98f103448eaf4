#include "smtp_server_selection.h"

#include "common/mail_security.h"
#include "platform/mail/header_field.h"
#include "platform/mail/mail_text.h"
#include "platform/settings/profile_api.h"
#include "printutil/run/print_run.h"
#include "printutil/transport/mail_socket.h"
#include "printutil/transport/smtp_client_text.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace torvex {
namespace {

const QString kLogSection = QStringLiteral("log");

// A stored receipt ends with the end-of-data line and the line end storing
// added after it; without that line end the message is recognised as
// already terminated and the "." line is not sent as text.
QString storedMessageText(const QString& fileText)
{
    const QString stored = QString::fromLatin1(kEndOfData) + QStringLiteral("\r\n");
    return fileText.endsWith(stored) ? fileText.chopped(2) : fileText;
}

// The host of the service's address, which may carry the port of its web
// server ("10.1.2.3:8080", "[::1]:8080"), without the scheme it may have
// ("https://"): the SMTP rows that use it want only the host.
QString serviceHost(const QString& address)
{
    const QString trimmed = serviceAddress(address).host;
    if (trimmed.startsWith(QLatin1Char('['))) {
        const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        return close > 0 ? trimmed.mid(1, close - 1) : trimmed;
    }
    const qsizetype colon = trimmed.indexOf(QLatin1Char(':'));
    // More than one colon: an IPv6 address without a port.
    if (colon < 0 || trimmed.indexOf(QLatin1Char(':'), colon + 1) >= 0)
        return trimmed;
    return trimmed.left(colon);
}

}  // namespace

QString bareAddress(const QString& recipient)
{
    const qsizetype open = recipient.lastIndexOf(QLatin1Char('<'));
    if (open < 0)
        return recipient;
    const qsizetype close = recipient.indexOf(QLatin1Char('>'), open + 1);
    const qsizetype length = close < 0 ? -1 : close - open - 1;
    return recipient.mid(open + 1, length).trimmed();
}

SmtpServerTable smtpServerTable(const TelvaneInfo& info, const QString& recipient,
                                const QString& sender)
{
    QString domain;
    QString firstServer;
    if (!recipient.isEmpty()) {
        const qsizetype at = recipient.indexOf(QLatin1Char('@'));
        domain = at < 0 ? recipient : recipient.mid(at + 1);
        const QString serviceIp = serviceHost(info.gVXIPAddress);
        firstServer = domain == info.gVXDomainName && !serviceIp.isEmpty() ? serviceIp : domain;
    }
    const QString& user = info.Normal_EMail_Addr;
    return SmtpServerTable{{
        {firstServer, sender},
        {domain.isEmpty() ? QString() : QStringLiteral("mail.") + domain, sender},
        {info.gUserSMTPServer, user, true},
        {info.gSMTPServer2, user},
        {info.gUserSMTPServer, sender, true},
        {info.gSMTPServer2, sender},
        {serviceHost(info.gVXIPAddress), sender},
        {info.VX_SMTP_Server, sender},
        {info.gLastResortSMTPServer, sender},
    }};
}

bool SendMessageFile(RunContext& ctx, SmtpContext& smtp, SmtpConversation& conversation,
                     const QString& tag)
{
    smtp.gSMTPRecipAddr = bareAddress(smtp.gSMTPRecipAddr);
    const SmtpServerTable table = smtpServerTable(ctx.info, smtp.gSMTPRecipAddr, smtp.gSMTPSenderAddr);

    smtp.gMailTimerInterval = 60000;
    smtp.gSMTPLog.clear();
    // Each row: the look-up, connection and every reply waited for at most
    // gTimoutMinutes ticks.
    constexpr qint64 kWaitsPerConversation = 9;
    ctx.expectDoneWithin(kSmtpServerRows * kWaitsPerConversation * qMax(1, ctx.info.gTimoutMinutes)
                         * qint64(smtp.gMailTimerInterval));
    conversation.InitMailSocket();

    QString tried;
    SmtpResult result;
    bool sent = false;
    // The rows name some hosts several times: a host is tried once, unless
    // it refused only the sender, which another row may give it.
    QSet<QString> hostsDone;
    QSet<QString> pairsTried;
    for (int row = 0; row < kSmtpServerRows; ++row) {
        const SmtpServerRow& pair = table[std::size_t(row)];
        if (pair.server.isEmpty() || pair.sender.isEmpty())
            continue;
        const MailServerAccess access = pair.usersServer ? userSmtpAccess(ctx.info) : otherSmtpAccess(ctx.info);
        // A host on another port (the user's submission port) is another server.
        const QString host = pair.server.trimmed().toLower() + QLatin1Char(':')
            + QString::number(mailPort(MailService::SMTP, access));
        const QString hostAndSender = host + QLatin1Char('\n') + pair.sender;
        if (hostsDone.contains(host) || pairsTried.contains(hostAndSender))
            continue;
        pairsTried.insert(hostAndSender);
        smtp.gSMTPSendToServer = pair.server;
        smtp.gSMTPSenderAddr = pair.sender;
        smtp.gSMTPAccess = access;
        tried += pair.server + QStringLiteral(" + ") + pair.sender + QStringLiteral(" , ");
        result = conversation.SendEMail();
        if (result.taken()) {
            sent = true;
            break;
        }
        // Sent whole but never answered: the server may have it, so no
        // other server gets a second copy now; a stored copy goes again later.
        if (result.dataOutcome == SmtpResult::DataOutcome::Unanswered)
            break;
        if (!result.senderRefused)
            hostsDone.insert(host);
        // The first row is the recipient's own domain (or the service): when
        // it does not know the address, no other server will deliver it.
        if (smtp.gTestMode && row == 0 && result.gSMTP_Error == SMTP_RecipientRefused)
            break;
    }
    if (!sent)
        ctx.gLastError = QString::number(result.gSMTP_Error);

    const QString file = ctx.accountFilePath();
    WritePrivateProfileStringA(kLogSection, QStringLiteral("Version"),
                               QString::fromLatin1(kPrintUtilityTitleWindow), file);
    WritePrivateProfileStringA(kLogSection, QStringLiteral("SMTP_Type"),
                               tag + (sent ? QStringLiteral("_OK") : QStringLiteral("_NOT_OK")), file);
    WritePrivateProfileStringA(kLogSection, QStringLiteral("SMTP_Servers"), tried, file);
    WritePrivateProfileStringA(kLogSection, QStringLiteral("SMTP_State"), smtp.gSMTPLog, file);
    return sent;
}

bool SendOutFile(RunContext& ctx, SmtpContext& smtp, SmtpConversation& conversation,
                 const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    smtp.gSMTPMessage = storedMessageText(mailText(file.readAll()));
    smtp.gSMTPRecipAddr = GetHeaderField(smtp.gSMTPMessage, QStringLiteral("To:"));
    smtp.gTestMode = false;
    // At the start of a run no send has set a sender yet; without one every
    // row would be passed over and the file would never leave.
    if (smtp.gSMTPSenderAddr.isEmpty())
        smtp.gSMTPSenderAddr = ctx.info.Torvex_Addr;
    const QString tag = QFileInfo(path).fileName().right(3).toUpper() + QLatin1Char('+');
    return SendMessageFile(ctx, smtp, conversation, tag);
}

}  // namespace torvex
