#pragma once

#include <QString>

namespace torvex {

// The print utility's path from the program folder and print_exe. On this
// platform the utility has no ".exe": a configured name ending in ".exe"
// that does not exist falls back to the name without it when that exists.
// When the program folder holds neither, the same names beside the
// scheduler's own executable count (an installed scheduler).
[[nodiscard]] QString printUtilityPath(const QString& appPath, const QString& printExe);

}  // namespace torvex
