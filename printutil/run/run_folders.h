#pragma once

#include <QString>

namespace torvex {

// The print utility's working folders under the program folder, each path
// ending in "/".
struct RunFolders {
    QString temp;  // decoded attachments of the message being handled
    QString in;    // raw messages fetched by POP3
    QString out;   // receipts waiting to be sent
    QString mdns;  // copies of sent receipts (only with Save_MDNs)

    [[nodiscard]] QString tempWorkFile() const { return temp + QStringLiteral("temp.txt"); }
};

[[nodiscard]] RunFolders runFoldersIn(const QString& programFolder);

// Creates temp, in and out (and mdns when saveMdns), then empties temp.
void prepareRunFolders(const RunFolders& folders, bool saveMdns);

// Deletes every file in the folder; sub-folders are left alone.
void deleteFilesIn(const QString& folder);

}  // namespace torvex
