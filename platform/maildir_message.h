#pragma once

#include "maildir_mime.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

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
// text, the people and times, the header and the attached files.
class MailFile {
public:
    explicit MailFile(const QByteArray& data);
    [[nodiscard]] static std::optional<MailFile> read(const QString& path);

    [[nodiscard]] QString messageClass() const;
    // The first inline plain-text part, with CR LF line ends.
    [[nodiscard]] QString text() const;
    [[nodiscard]] QString subject() const;
    [[nodiscard]] QString senderAddress() const;
    [[nodiscard]] QDateTime timeSent() const;
    // Invalid when the file does not say; the delivery time stands in then.
    [[nodiscard]] QDateTime timeReceived() const;
    [[nodiscard]] QStringList recipientNames() const;
    // The header as stored, with CR LF line ends and its closing empty line.
    [[nodiscard]] QString headerText() const;

    [[nodiscard]] int attachmentCount() const { return int(attachments_.size()); }
    [[nodiscard]] QString attachmentName(int index) const;    // 0-based
    [[nodiscard]] QString attachmentSource(int index) const;  // the file name it came with
    [[nodiscard]] QByteArray attachmentContent(int index) const;

private:
    struct Attachment {
        QString name;
        QString source;
        std::vector<int> path;  // indexes from the top entity down to the part
    };
    [[nodiscard]] const MimeEntity& entityAt(const std::vector<int>& path) const;
    void collectParts(const MimeEntity& entity, std::vector<int>& path);

    MimeEntity top_;
    std::optional<std::vector<int>> textPart_;
    std::vector<Attachment> attachments_;
};

// Lone LF (and lone CR) line ends made CR LF.
[[nodiscard]] QString withCrLf(const QString& text);

}  // namespace torvex
