#pragma once

#include "platform/mail/mime_parser.h"

#include <QDateTime>
#include <QFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace torvex {

// Headers that keep in the file what plain mail has no field for, so the
// file stays an ordinary RFC 5322 message any mail client reads.
inline constexpr auto kMessageClassField = "X-Torvex-Message-Class";  // e.g. a regular fax
inline constexpr auto kTimeReceivedField = "X-Torvex-Received";
inline constexpr auto kRecipientField = "X-Torvex-Recipient";          // one per recipient name
inline constexpr auto kAttachmentNameField = "X-Torvex-Attachment-Name";  // in the part's header
inline constexpr auto kDefaultMessageClass = "IPM.Note";

// A stored message file as the mailbox presents it: the message class, the
// text, the people and times, the header and the attached files. Only its
// structure, header and text are held; attached files are decoded from the
// file when they are written out, so a message of any size is read in
// bounded memory. The file stays open, so the message may be renamed (read
// mark, filing) while it is read.
class MailFile {
public:
    [[nodiscard]] static std::optional<MailFile> read(const QString& path);

    [[nodiscard]] QString messageClass() const;
    // The text parts, with CR LF line ends (HTML shown as plain text where
    // the message has no plain rendering).
    [[nodiscard]] const QString& text() const { return text_; }
    [[nodiscard]] QString subject() const;
    [[nodiscard]] QString senderAddress() const;
    [[nodiscard]] QDateTime timeSent() const;
    // Invalid when the file does not say; the delivery time stands in then.
    [[nodiscard]] QDateTime timeReceived() const;
    [[nodiscard]] QStringList recipientNames() const;
    // The header as stored, with CR LF line ends and its closing empty line.
    [[nodiscard]] const QString& headerText() const { return headerText_; }

    [[nodiscard]] int attachmentCount() const { return int(attachments_.size()); }
    [[nodiscard]] QString attachmentName(int index) const;    // 0-based
    [[nodiscard]] QString attachmentSource(int index) const;  // the file name it came with
    // Writes the attachment's decoded content into target (replaced);
    // false when it could not.
    bool writeAttachment(int index, const QString& target) const;

private:
    struct Attachment {
        QString name;
        QString source;
        int part = 0;
    };
    [[nodiscard]] const MailHeader& header() const { return structure_.parts.front().header; }

    std::shared_ptr<QFile> file_;
    MimeStructure structure_;
    QString headerText_;
    QString text_;
    std::vector<Attachment> attachments_;
};

}  // namespace torvex
