#pragma once

#include <QString>

namespace torvex {

// One initialisation file of "[section]" headers and "key=value" lines, with
// the semantics the Windows profile functions give: section and key names
// match without regard to case, a missing key reads as its default, and an
// empty value keeps the key.
//
// Every write replaces one key whole under an exclusive lock on a companion
// lock file and lands by rename(), so two processes writing different keys at
// once lose neither, and a reader never sees a half-written file. Lines the
// parser does not understand are kept byte for byte. The lock is waited for
// a few seconds at most; a file that is a symbolic link is written through
// to its target, which keeps its mode; a read-only file is not rewritten.
// A write that fails says why on standard error.
//
// Values may hold CR, LF and backslash; they are stored as "\r", "\n" and
// "\\" so that a value stays on its one line.
class IniFile {
public:
    explicit IniFile(QString path);

    [[nodiscard]] const QString& path() const { return path_; }

    // The whole stored value, or defaultValue when the section or key is
    // missing or the file cannot be read.
    [[nodiscard]] QString read(const QString& section, const QString& key,
                               const QString& defaultValue) const;

    // Creates the file (and its folder) when missing. False when the file
    // could not be written; the previous content then stays as it was.
    bool write(const QString& section, const QString& key, const QString& value) const;

private:
    QString path_;
};

}  // namespace torvex
