#pragma once

#include <QString>

namespace torvex {

// True when path names a readable ordinary file. As a side effect the
// file's read-only mark is removed (its permissions become the user's
// read and write). errorNumber receives 0 on success, otherwise the errno
// of the operation that failed (EISDIR for a folder).
bool FileExists(const QString& path, qint32& errorNumber);

}  // namespace torvex
