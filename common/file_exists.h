#pragma once

#include <QString>

namespace torvex {

// True when path names an ordinary file. As a side effect a file of the
// user's own loses its read-only mark (the owner may read and write it).
// errorNumber receives 0 on success, otherwise the errno of the look-up
// (EISDIR for a folder).
bool FileExists(const QString& path, qint32& errorNumber);

}  // namespace torvex
