#include "test_message.h"

#include "common/service_defaults.h"
#include "common/telvane_info.h"
#include "platform/mail/mail_text.h"
#include "printutil/receipt/mdn_compose.h"
#include "printutil/transport/smtp_client_text.h"
#include "printutil/transport/smtp_server_selection.h"

namespace torvex {
namespace {

}  // namespace

QString courtesyLine()
{
    return QStringLiteral(">>>-------This PERFECTLY TORVEX is printed with TORVEX Print from ")
        + QString::fromLatin1(kServiceWebHost).toUpper() + QStringLiteral("----------<<<") + kCrLf
        + kCrLf;
}

QString ComposeTestTorvex(const QString& recipient, const QString& torvexAddr, const QDateTime& now)
{
    const QString sevenLineEnds = QString::fromLatin1(kCrLf).repeated(7);
    QString t;
    t += QStringLiteral("To: <") + oneLine(recipient) + QLatin1Char('>') + kCrLf;
    t += QStringLiteral("Message-Id: <VXTEST.") + timeStamp(now) + QLatin1Char('.')
        + oneLine(torvexAddr) + QLatin1Char('>') + kCrLf;
    t += QStringLiteral("Date: ") + messageDateText(now) + kCrLf;
    t += QStringLiteral("Subject: Test TORVEX") + kCrLf + kCrLf;
    t += courtesyLine() + sevenLineEnds;
    t += QString(13, QLatin1Char(' ')) + QStringLiteral("WELCOME TO THE WONDERFULL WORLD OF TORVEX");
    t += sevenLineEnds;
    t += courtesyLine();
    return t + QString::fromLatin1(kEndOfData);
}

TestTorvexSender::TestTorvexSender(RunContext& ctx, SmtpContext& smtp, SmtpConversation& conversation)
    : ctx_(ctx), smtp_(smtp), conversation_(conversation)
{
}

void TestTorvexSender::SendTestTorvex()
{
    smtp_.gSMTPSenderAddr = ctx_.info.Torvex_Addr;
    smtp_.gSMTPRecipAddr = ctx_.info.Torvex_Addr;
    smtp_.gTestMode = true;
    smtp_.gSMTPMessage =
        ComposeTestTorvex(smtp_.gSMTPRecipAddr, ctx_.info.Torvex_Addr, QDateTime::currentDateTime());
    const bool sent = SendMessageFile(ctx_, smtp_, conversation_, QStringLiteral("Test_TORVEX"));
    writeTorvexKey(QStringLiteral("test_server"), sent ? smtp_.gSMTPSendToServer : QString());
    smtp_.gTestMode = false;
}

}  // namespace torvex
