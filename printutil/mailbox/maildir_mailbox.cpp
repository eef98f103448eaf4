#include "maildir_mailbox.h"

#include "printutil/decode/inbox_file.h"

#include "platform/desktop/time_scale.h"
#include "platform/maildir/maildir_message.h"
#include "platform/maildir/maildir_store.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include <utility>

namespace torvex {
namespace {

// A delivery command gets this long before it is stopped.
constexpr int kDeliverTimeoutMs = 10 * 60 * 1000;

QString messageIdFor(const MaildirFolder& folder, const QString& baseName)
{
    return folder.id() + QLatin1Char('/') + baseName;
}

QDateTime deliveryTime(const QString& filePath, const QString& baseName)
{
    bool ok = false;
    const qint64 seconds = baseName.section(QLatin1Char('.'), 0, 0).toLongLong(&ok);
    if (ok && seconds > 0)
        return QDateTime::fromSecsSinceEpoch(seconds);
    return QFileInfo(filePath).lastModified();
}

class MaildirMessage final : public MailMessage {
public:
    MaildirMessage(MaildirFolder folder, QString baseName, MailFile file, QDateTime delivered)
        : folder_(std::move(folder)),
          baseName_(std::move(baseName)),
          file_(std::move(file)),
          text_(file_.text()),
          delivered_(std::move(delivered))
    {
    }

    [[nodiscard]] QString ID() const override { return messageIdFor(folder_, baseName_); }
    [[nodiscard]] QString Type() const override { return file_.messageClass(); }
    [[nodiscard]] QString Text() const override { return text_; }
    void setText(const QString& text) override { text_ = text; }
    [[nodiscard]] QString Subject() const override { return file_.subject(); }
    [[nodiscard]] QString SenderAddress() const override { return file_.senderAddress(); }
    [[nodiscard]] QDateTime TimeSent() const override { return file_.timeSent(); }
    [[nodiscard]] QDateTime TimeReceived() const override
    {
        const QDateTime stored = file_.timeReceived();
        return stored.isValid() ? stored : delivered_;
    }
    [[nodiscard]] QStringList RecipientNames() const override { return file_.recipientNames(); }
    // The header text is the one property a Maildir file adds to the rest.
    [[nodiscard]] QString Field(int index) const override
    {
        return index == kHeaderTextField ? file_.headerText() : QString();
    }

    [[nodiscard]] int AttachmentCount() const override { return file_.attachmentCount(); }
    [[nodiscard]] QString AttachmentName(int index) const override
    {
        return file_.attachmentName(index - 1);
    }
    [[nodiscard]] QString AttachmentSource(int index) const override
    {
        return file_.attachmentSource(index - 1);
    }
    bool WriteAttachmentToFile(int index, const QString& path) const override
    {
        return file_.writeAttachment(index - 1, path);
    }

    bool markRead() override
    {
        const auto kept = markMaildirSeen(folder_, baseName_);
        return kept.has_value();
    }

    bool MoveTo(const QString& folderId) override
    {
        const auto target = maildirFolderForId(folder_.rootPath(), folderId);
        if (!target)
            return false;
        const auto moved = moveMaildirMessage(folder_, baseName_, *target);
        if (!moved)
            return false;
        folder_ = *target;
        baseName_ = *moved;
        return true;
    }

private:
    MaildirFolder folder_;
    QString baseName_;
    MailFile file_;
    QString text_;
    QDateTime delivered_;
};

std::unique_ptr<MailMessage> openMessage(const MaildirFolder& folder, const MaildirEntry& entry)
{
    const QString path = folder.filePath(entry);
    auto file = MailFile::read(path);
    if (!file)
        return nullptr;
    return std::make_unique<MaildirMessage>(folder, entry.baseName, std::move(*file),
                                            deliveryTime(path, entry.baseName));
}

class MaildirMailFolder final : public MailFolder {
public:
    explicit MaildirMailFolder(MaildirFolder folder) : folder_(std::move(folder)) {}

    [[nodiscard]] QString ID() const override { return folder_.id(); }
    [[nodiscard]] QString Name() const override { return folder_.name(); }

    [[nodiscard]] int MessageCount() override
    {
        entries_ = folder_.messages();
        listed_ = true;
        return int(entries_.size());
    }

    [[nodiscard]] std::unique_ptr<MailMessage> Message(int index) override
    {
        if (!listed_)
            (void)MessageCount();
        if (index < 1 || index > int(entries_.size()))
            return nullptr;
        // The message may have been marked read since the listing: look it
        // up again by its unique name.
        const auto entry = folder_.find(entries_[size_t(index - 1)].baseName);
        return entry ? openMessage(folder_, *entry) : nullptr;
    }

    [[nodiscard]] int FolderCount() const override { return int(folder_.children().size()); }

    [[nodiscard]] std::unique_ptr<MailFolder> Folder(int index) const override
    {
        const std::vector<MaildirFolder> children = folder_.children();
        if (index < 1 || index > int(children.size()))
            return nullptr;
        return std::make_unique<MaildirMailFolder>(children[size_t(index - 1)]);
    }

    [[nodiscard]] std::unique_ptr<MailFolder> AddFolder(const QString& name) override
    {
        if (name.isEmpty())
            return nullptr;
        const MaildirFolder child = folder_.child(name);
        if (!child.create())
            return nullptr;
        return std::make_unique<MaildirMailFolder>(child);
    }

private:
    MaildirFolder folder_;
    std::vector<MaildirEntry> entries_;
    bool listed_ = false;
};

}  // namespace

MaildirMailboxSystem::MaildirMailboxSystem(QString programFolder)
    : programFolder_(std::move(programFolder))
{
}

bool MaildirMailboxSystem::SessionLogIn(const QString& profileName)
{
    session_ = findMailboxProfile(programFolder_, profileName);
    if (!session_)
        return false;
    // The profile's own folder becomes a Maildir on first use; a Maildir
    // the profile names elsewhere must exist (a mistyped path stays an
    // error rather than a new empty mailbox).
    const MaildirFolder root(session_->maildir, {});
    if (session_->maildir == session_->folder || QFileInfo(session_->maildir).isDir())
        root.create();
    return true;
}

QString MaildirMailboxSystem::sessionName() const
{
    return session_ ? session_->name : QString();
}

void MaildirMailboxSystem::Logoff()
{
    session_.reset();
}

std::unique_ptr<MailFolder> MaildirMailboxSystem::Inbox()
{
    if (!session_)
        return nullptr;
    const MaildirFolder root(session_->maildir, {});
    return root.exists() ? std::make_unique<MaildirMailFolder>(root) : nullptr;
}

std::unique_ptr<MailFolder> MaildirMailboxSystem::RootFolder()
{
    return Inbox();
}

void MaildirMailboxSystem::DeliverNow()
{
    if (!session_ || session_->deliverCommand.isEmpty())
        return;
    QProcess process;
    process.setWorkingDirectory(session_->folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MAILDIR"), session_->maildir);
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    // A shell command line, as the user would type it.
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), session_->deliverCommand});
    limit.start(scaledMs(kDeliverTimeoutMs));
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    }
}

std::unique_ptr<MailMessage> MaildirMailboxSystem::GetMessage(const QString& messageId)
{
    if (!session_)
        return nullptr;
    const qsizetype slash = messageId.indexOf(QLatin1Char('/'));
    if (slash <= 0)
        return nullptr;
    const auto folder = maildirFolderForId(session_->maildir, messageId.left(slash));
    if (!folder)
        return nullptr;
    const auto entry = folder->find(messageId.mid(slash + 1));
    return entry ? openMessage(*folder, *entry) : nullptr;
}

QString MaildirMailboxSystem::pendingMovesPath() const
{
    // Beside the profile's own files: the IDs are the profile's.
    return session_ ? session_->folder + QStringLiteral("/pending-moves") : QString();
}

bool MaildirMailboxSystem::addToInbox(const NewInboxMessage& message)
{
    if (!session_)
        return false;
    return deliverToMaildir(
               MaildirFolder(session_->maildir, {}),
               [&message](QIODevice& file) { return writeInboxFile(message, file); }, message.deliveryName)
        .has_value();
}

}  // namespace torvex
