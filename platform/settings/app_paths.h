#pragma once

#include <QString>

namespace torvex {

// The program folder holds the account file, the working folders, the help
// pages and the mailbox profiles. It is TORVEX_HOME when set; otherwise the
// folder of the running executable, unless that is an installed program
// (its folder is not writable, or the installed share folder lies beside
// it), whose data lives in the user's own folder ~/.local/share/torvex.
[[nodiscard]] QString programFolder();

// programFolder() + "/" + name.
[[nodiscard]] QString inProgramFolder(const QString& name);

// The choice programFolder() makes, from its inputs: TORVEX_HOME (empty when
// not set), the executable's folder, the installed share folder that
// belongs to it, and the user's data folder.
[[nodiscard]] QString chooseProgramFolder(const QString& torvexHome, const QString& executableFolder,
                                          const QString& shareFolder, const QString& userDataFolder);

// The installed share folder of the running program: the template account
// file, the help pages and the readme (share/torvex beside bin/).
[[nodiscard]] QString installedShareFolder();

// Copies every file of `from` that `to` lacks into `to` (created when
// missing); a file the user already has is never replaced. False when a
// copy failed.
bool seedFolder(const QString& from, const QString& to);

// The program folder, made ready for its first use: a folder in the user's
// data folder gets the installed account file and help pages. Each program
// calls it once at start.
QString prepareProgramFolder();

}  // namespace torvex
