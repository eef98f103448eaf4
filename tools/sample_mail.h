#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace torvex::tools {

// An Internet fax as a fax service delivers it to the user's mailbox: a
// MIME message with a text part and the fax files as base64 attachments.
struct InternetFax {
    QString from = QStringLiteral("Sender Office <sender@example.org>");
    QString to;  // the user's TORVEX address
    QString subject = QStringLiteral("Sample TORVEX");
    QString date = QStringLiteral("Tue, 5 Mar 2024 10:20:30 +0100");
    QString messageId = QStringLiteral("<sample@example.org>");
    QStringList extraHeaders;  // whole lines, e.g. "Disposition-Notification-To: a@b"
    QString body;              // the message text; line ends become CR LF
    struct Attachment {
        QString name;
        QString mimeType;  // e.g. "image/tiff"
        QByteArray content;
    };
    std::vector<Attachment> attachments;
};

// The whole message with CR LF line ends, ready for a Maildir or an SMTP
// server. Without attachments it is a single text/plain message.
[[nodiscard]] QByteArray composeInternetFax(const InternetFax& fax);

// Header lines asking for a receipt; full mode asks for the G3Fax report too.
[[nodiscard]] QStringList receiptRequestHeaders(const QString& address, bool fullMode);

}  // namespace torvex::tools
