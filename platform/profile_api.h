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
void WriteProfileStringA(const QString& section, const QString& key, const QString& value);

[[nodiscard]] QString GetPrivateProfileStringA(const QString& section, const QString& key,
                                               const QString& defaultValue,
                                               const QString& fileName);
void WritePrivateProfileStringA(const QString& section, const QString& key,
                                const QString& value, const QString& fileName);

}  // namespace torvex
