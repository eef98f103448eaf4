#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace torvex {

// One message file of a Maildir folder.
struct MaildirEntry {
    QString baseName;  // the unique name, without the ":2," info part
    QString subdir;    // "new" or "cur"
    QString fileName;  // the name on disk
};

// One folder of a Maildir++ tree: the root, which is the Inbox, or a
// subfolder such as ".TORVEXes.Printed" (name path {"TORVEXes", "Printed"}).
// A value: it names a folder whether or not it exists yet.
class MaildirFolder {
public:
    MaildirFolder(QString rootPath, QStringList namePath);

    // The root's ID is "INBOX", a subfolder's its directory name; both stay
    // the same as long as the folder does.
    [[nodiscard]] QString id() const;
    [[nodiscard]] QString name() const;  // last name of the path; "INBOX" for the root
    [[nodiscard]] const QStringList& namePath() const { return namePath_; }
    [[nodiscard]] const QString& rootPath() const { return rootPath_; }
    [[nodiscard]] QString path() const;
    [[nodiscard]] bool isRoot() const { return namePath_.isEmpty(); }

    [[nodiscard]] bool exists() const;
    // Creates cur/, new/ and tmp/ (and, for a subfolder, its "maildirfolder"
    // mark); true when the folder exists afterwards.
    bool create() const;

    // Messages in delivery order (the time that starts every unique name,
    // then the name).
    [[nodiscard]] std::vector<MaildirEntry> messages() const;
    [[nodiscard]] std::optional<MaildirEntry> find(const QString& baseName) const;
    [[nodiscard]] QString filePath(const MaildirEntry& entry) const;

    // Direct subfolders that exist, ordered by directory name.
    [[nodiscard]] std::vector<MaildirFolder> children() const;
    [[nodiscard]] MaildirFolder child(const QString& name) const;

private:
    QString rootPath_;
    QStringList namePath_;
};

// The folder an ID names under the root; none for an ID that is not one of
// ours (so an ID can never point outside the tree).
[[nodiscard]] std::optional<MaildirFolder> maildirFolderForId(const QString& rootPath,
                                                              const QString& id);

// A fresh unique name as Maildir deliveries use ("secs.MusecPpidQn.host").
[[nodiscard]] QString newMaildirUniqueName();

// Delivers a message into new/ of the folder: written into tmp/, flushed to
// disk, then renamed into place, so a reader never sees a partial file.
// Returns the message's base name. With a baseName given the delivery is
// done once: a message of that name already in the folder is kept as it is.
std::optional<QString> deliverToMaildir(const MaildirFolder& folder, const QByteArray& content,
                                        const QString& baseName = QString());
// The same for a message written piece by piece: write fills the file and
// says whether it could.
std::optional<QString> deliverToMaildir(const MaildirFolder& folder,
                                        const std::function<bool(QIODevice&)>& write,
                                        const QString& baseName = QString());

// Moves one message by a single rename(), so at every moment it lies in
// exactly one of the two folders; an existing file is never replaced. The
// message keeps its new/ or cur/ place and its flags. Returns the base name
// in the destination (a fresh one when the old one was taken there); none
// when the move failed, and the message is then where it was.
std::optional<QString> moveMaildirMessage(const MaildirFolder& from, const QString& baseName,
                                          const MaildirFolder& to);

// Sets the Seen flag ("S"), moving a message in new/ to cur/. Returns the
// base name the message keeps.
std::optional<QString> markMaildirSeen(const MaildirFolder& folder, const QString& baseName);

}  // namespace torvex
