#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace torvex {

// The folders the print run files what it printed into, under the root of
// the profile's Maildir: a fax's record after its run.
struct FiledFolder {
    QStringList namePath;  // e.g. {"TORVEXes", "Printed"}
    bool printed = false;  // false: "Unprintable"
    bool regularFax = false;
};

[[nodiscard]] const std::array<FiledFolder, 4>& filedFolders();

// The filed folder a message ID ("<folder ID>/<unique name>") lies in;
// none for a message of any other folder (the Inbox, "Deleted Items").
[[nodiscard]] std::optional<FiledFolder> filedFolderOf(const QString& messageId);

}  // namespace torvex
