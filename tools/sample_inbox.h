#pragma once

#include "printutil/decode/inbox_message.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace torvex::tools {

// A TORVEX as the POP3 path hands it to the Inbox: the text is the
// server's "+OK" line, the header lines, an empty line and the body; the
// attachments are decoded files named as the decoder names them
// ("fax.tif;").
struct SampleTorvex {
    QString from = QStringLiteral("Sender Office <sender@example.org>");
    QString to;                 // the user's TORVEX address
    QString subject = QStringLiteral("Sample TORVEX");
    QString date = QStringLiteral("Tue, 5 Mar 2024 10:20:30 +0100");
    QString messageId = QStringLiteral("<sample@example.org>");
    QString contentType;        // the Content-Type value, empty for none
    QStringList extraHeaders;   // whole lines, e.g. "Disposition-Notification-To: a@b"
    QString body;
    struct Attachment {
        QString name;
        QByteArray content;
    };
    std::vector<Attachment> attachments;
    QString messageClass;       // a regular fax says so
};

// The message the decoder would add for it; the attachment files are
// written into workFolder.
[[nodiscard]] NewInboxMessage sampleInboxMessage(const SampleTorvex& sample, const QString& workFolder);

// Adds it to the Inbox; false when the Inbox refused it.
bool addSampleTorvex(InboxWriter& inbox, const SampleTorvex& sample, const QString& workFolder);

}  // namespace torvex::tools
