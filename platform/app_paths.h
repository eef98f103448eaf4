#pragma once

#include <QString>

namespace torvex {

// The program folder: TORVEX_HOME when set, otherwise the folder of the
// running executable. The account file, the working folders, the help pages
// and the mailbox profiles live here.
[[nodiscard]] QString programFolder();

// programFolder() + "/" + name.
[[nodiscard]] QString inProgramFolder(const QString& name);

}  // namespace torvex
