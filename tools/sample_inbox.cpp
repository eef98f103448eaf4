#include "sample_inbox.h"

#include <QDir>
#include <QFile>

#include <atomic>

namespace torvex::tools {

NewInboxMessage sampleInboxMessage(const SampleTorvex& sample, const QString& workFolder)
{
    const QString crlf = QStringLiteral("\r\n");
    QString header = QStringLiteral("From: ") + sample.from + crlf + QStringLiteral("To: ") + sample.to + crlf
        + QStringLiteral("Subject: ") + sample.subject + crlf + QStringLiteral("Date: ") + sample.date + crlf
        + QStringLiteral("Message-Id: ") + sample.messageId + crlf;
    if (!sample.contentType.isEmpty())
        header += QStringLiteral("Content-Type: ") + sample.contentType + crlf;
    for (const QString& line : sample.extraHeaders)
        header += line + crlf;
    const QString raw = header + crlf + sample.body;

    NewInboxMessage message;
    message.subject = sample.subject + QStringLiteral(" From: ") + sample.from;
    message.senderName = sample.from;
    message.text = QStringLiteral("+OK %1 octets").arg(raw.toUtf8().size()) + crlf + raw;
    message.timeSent = QDateTime::fromString(sample.date, Qt::RFC2822Date);
    message.timeReceived = QDateTime::currentDateTime();
    message.recipients = {QStringLiteral("SMTP:") + sample.to};
    message.messageClass = sample.messageClass;
    static std::atomic<int> serial{0};
    QDir().mkpath(workFolder);
    for (const SampleTorvex::Attachment& attachment : sample.attachments) {
        const QString path = QStringLiteral("%1/sample-%2.bin").arg(workFolder).arg(++serial);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(attachment.content);
        message.attachments.push_back({attachment.name, path});
    }
    return message;
}

bool addSampleTorvex(InboxWriter& inbox, const SampleTorvex& sample, const QString& workFolder)
{
    return inbox.addToInbox(sampleInboxMessage(sample, workFolder));
}

}  // namespace torvex::tools
