#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

namespace torvex {

// A message the decoder hands to the mailbox: what becomes a new Inbox
// message with its attachments.
struct NewInboxMessage {
    struct Attachment {
        QString name;        // as the decoder names it, e.g. "fax.tif;"
        QString sourcePath;  // decoded file to take the content from
    };

    QString subject;
    QString senderName;      // display name of the sender
    QString text;            // the message text, header lines included for POP mail
    QDateTime timeSent;      // invalid when the Date: field did not convert
    QDateTime timeReceived;
    QStringList recipients;  // display names, e.g. "SMTP:user@torvex.net" (primary)
    std::vector<Attachment> attachments;
    QString messageClass;    // empty for plain mail; a regular fax says so here
    // The name the Inbox stores the message under, chosen before it is
    // stored: when the Inbox already holds a message of that name it is not
    // stored twice. Empty: a fresh name.
    QString deliveryName;

};

// The part of the mailbox the decoder writes into.
class InboxWriter {
public:
    virtual ~InboxWriter() = default;
    // Saves the message into the Inbox of the current session; false when it
    // could not be stored.
    virtual bool addToInbox(const NewInboxMessage& message) = 0;
};

}  // namespace torvex
