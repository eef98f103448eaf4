#pragma once

#include <QString>

namespace torvex {

// The profile functions both programs use, over IniFile. The user's
// initialisation file is the one named by TORVEX_INI, or
// ~/.config/torvex/torvex.ini; private profiles name their own file.
//
// Reads return at most 254 characters, as a 255-byte buffer would hold.

inline constexpr int kProfileValueLimit = 254;

[[nodiscard]] QString userIniPath();

[[nodiscard]] QString GetProfileStringA(const QString& section, const QString& key,
                                        const QString& defaultValue);
// Writes return false when the key could not be stored (as the Windows
// functions return FALSE): the file is read-only, or its lock stayed taken.
bool WriteProfileStringA(const QString& section, const QString& key, const QString& value);

[[nodiscard]] QString GetPrivateProfileStringA(const QString& section, const QString& key,
                                               const QString& defaultValue,
                                               const QString& fileName);
bool WritePrivateProfileStringA(const QString& section, const QString& key,
                                const QString& value, const QString& fileName);

}  // namespace torvex
