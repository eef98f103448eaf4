#pragma once

#include "printutil/decode/inbox_message.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>

namespace torvex {

// The property of a message that holds its header as it came.
inline constexpr int kHeaderTextField = 31;

// One message of a mailbox folder, with the properties the run reads.
// Attachments and fields are numbered from 1.
class MailMessage {
public:
    virtual ~MailMessage() = default;

    // Stays valid while the message stays in its folder.
    [[nodiscard]] virtual QString ID() const = 0;
    [[nodiscard]] virtual QString Type() const = 0;  // the message class
    [[nodiscard]] virtual QString Text() const = 0;
    // Changes the text of this object only; the stored message keeps its own.
    virtual void setText(const QString& text) = 0;
    [[nodiscard]] virtual QString Subject() const = 0;
    [[nodiscard]] virtual QString SenderAddress() const = 0;
    [[nodiscard]] virtual QDateTime TimeSent() const = 0;  // invalid when unknown
    [[nodiscard]] virtual QDateTime TimeReceived() const = 0;
    [[nodiscard]] virtual QStringList RecipientNames() const = 0;
    // The message's property of that number; empty when it has none.
    [[nodiscard]] virtual QString Field(int index) const = 0;

    [[nodiscard]] virtual int AttachmentCount() const = 0;
    [[nodiscard]] virtual QString AttachmentName(int index) const = 0;
    [[nodiscard]] virtual QString AttachmentSource(int index) const = 0;
    // Writes the attachment's content to the file; false when it could not.
    virtual bool WriteAttachmentToFile(int index, const QString& path) const = 0;

    // Unread = False: the message is marked as read where it lies.
    virtual bool markRead() = 0;
    // Files the message into the folder of that ID; false (and the message
    // stays where it was) when that failed.
    virtual bool MoveTo(const QString& folderId) = 0;
};

// A folder: its messages and its subfolders.
class MailFolder {
public:
    virtual ~MailFolder() = default;

    [[nodiscard]] virtual QString ID() const = 0;
    [[nodiscard]] virtual QString Name() const = 0;

    // Reads the folder afresh; Message() then follows that order.
    [[nodiscard]] virtual int MessageCount() = 0;
    // Message 1 to MessageCount(); null when it can no longer be read.
    [[nodiscard]] virtual std::unique_ptr<MailMessage> Message(int index) = 0;

    [[nodiscard]] virtual int FolderCount() const = 0;
    [[nodiscard]] virtual std::unique_ptr<MailFolder> Folder(int index) const = 0;  // 1-based
    // Creates a subfolder of that name; null when it could not.
    [[nodiscard]] virtual std::unique_ptr<MailFolder> AddFolder(const QString& name) = 0;
};

// The mailbox the run logs on to. One session at a time: every log-on
// replaces the previous session, every log-off drops it. The Inbox of the
// session takes the messages the decoder adds (InboxWriter).
class MailboxSystem : public InboxWriter {
public:
    // True when the profile could be opened.
    virtual bool SessionLogIn(const QString& profileName) = 0;
    // The name of the profile actually in use after a log-on.
    [[nodiscard]] virtual QString sessionName() const = 0;
    virtual void Logoff() = 0;

    // Null without a session or when the profile has no Inbox.
    [[nodiscard]] virtual std::unique_ptr<MailFolder> Inbox() = 0;
    // The top of the folder tree; null without an information store.
    [[nodiscard]] virtual std::unique_ptr<MailFolder> RootFolder() = 0;
    // Runs the profile's own delivery so that new mail arrives in the Inbox.
    virtual void DeliverNow() = 0;
    // The message of that ID, wherever it lies; null when there is none.
    [[nodiscard]] virtual std::unique_ptr<MailMessage> GetMessage(const QString& messageId) = 0;
    // Where the session keeps the moves a run has decided on but not yet
    // made (MoveList's journal); empty: nowhere, they live in memory only.
    [[nodiscard]] virtual QString pendingMovesPath() const { return {}; }
};

// The subfolder of that exact (case-sensitive) name under the parent,
// created when missing. Returns its ID and sets folder to it; an empty ID
// and a null folder when it could be neither found nor created.
QString GetFolderID(const QString& name, MailFolder& parent, std::unique_ptr<MailFolder>& folder);

}  // namespace torvex
