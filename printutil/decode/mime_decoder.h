#pragma once

#include "inbox_message.h"

#include "platform/mail/mime_parser.h"

#include <QFile>
#include <QString>

#include <functional>
#include <optional>

namespace torvex {

// Turns one raw message file fetched by POP3 (first line "+OK", last line
// ".") into a new Inbox message: text, subject, sender, times, the TORVEX
// recipient, and the files it carries decoded into files of the temp
// folder. Multiparts are followed to any depth; the file is read piece by
// piece, so memory stays bounded whatever its size.
class MimeDecoder {
public:
    // tempFolder ends in "/"; torvexAddr is Torvex_Addr.
    MimeDecoder(QString tempFolder, QString torvexAddr);

    // Called now and then while a long file is read, so the event loop
    // keeps running (processEvents by default).
    void setYield(std::function<void()> yield) { yield_ = std::move(yield); }

    // The message the file holds; its attachments' files lie in the temp
    // folder until the caller has stored the message. Empty when the file
    // cannot be read.
    [[nodiscard]] std::optional<NewInboxMessage> decodeFile(const QString& path);

private:
    void missingBoundary(QFile& input, qint64 from, qint64 to);
    // Adds the part's decoded text to the message text; false (and nothing
    // added) when the part holds binary data rather than text, or more text
    // than the message text holds.
    bool appendText(QFile& input, const MimePart& part, bool html);
    void attachPart(QFile& input, const MimePart& part, const QString& name);
    void attachRange(QFile& input, qint64 from, qint64 to, const QString& name);
    [[nodiscard]] QString newAttachmentPath(const QString& name);

    QString temp_;
    QString torvexAddr_;
    std::function<void()> yield_;

    // One file's decoding.
    QString headerText_;
    QString bodyText_;
    qsizetype bodyBytes_ = 0;
    int attachmentIndex_ = 0;
    NewInboxMessage message_;
};

// Decodes one raw file into the inbox and removes the decoded attachment
// files again; true when the inbox stored the message (or already held it
// under deliveryName).
bool DecodeIntoInbox(MimeDecoder& decoder, const QString& path, InboxWriter& inbox,
                     const QString& deliveryName = QString());

}  // namespace torvex
