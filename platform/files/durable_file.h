#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace torvex {

// Files whose content must survive a kill or a power loss whole: written
// to a temporary file beside the target, synced, then renamed over it, so a
// reader finds either the old content or the new, never a mixture.

// Why replaceFileContent refused or failed.
enum class FileWriteError {
    None,
    ReadOnly,     // the file exists and we may not write it: left as it is
    CannotWrite,  // the temporary file could not be written or renamed
};

// Replaces the file's content. A symbolic link is written through to its
// target (the link stays); an existing file keeps its mode, a new one is
// made readable by the user only.
FileWriteError replaceFileContent(const QString& path, QByteArrayView content);

// Appends the bytes and syncs them to disk; false when not all went out.
bool appendDurably(const QString& path, QByteArrayView bytes);

// Writes a new small file whole and syncs it (used for markers and records
// whose presence means something).
bool writeDurably(const QString& path, QByteArrayView content);

// Syncs a folder, so that a rename or an unlink in it is on disk.
void syncDirectory(const QString& path);

}  // namespace torvex
