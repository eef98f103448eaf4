#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace torvex {

// A mailbox profile: the folder profiles/<name>/ of the program folder. It
// is itself the Maildir unless its profile.ini names another one
// ("[Profile] Maildir=~/Maildir"), and it may name the command that
// delivers new mail into it ("[Profile] Deliver=fetchmail -s").
struct MailboxProfile {
    QString name;            // as written on disk
    QString folder;          // profiles/<name>
    QString maildir;         // the Maildir root
    QString deliverCommand;  // empty when the profile names none
};

// The profile of that exact name; none when it does not exist (or the name
// could reach outside the profiles folder).
[[nodiscard]] std::optional<MailboxProfile> findMailboxProfile(const QString& programFolder,
                                                               const QString& name);

// The names of the profiles that exist, sorted.
[[nodiscard]] QStringList mailboxProfileNames(const QString& programFolder);

}  // namespace torvex
