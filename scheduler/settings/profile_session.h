#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace torvex {

class MessageBoxes;
class ProfileChooser;

// Mailbox profiles are folders under profiles/ in the program folder; a
// profile folder is itself a Maildir (cur, new, tmp) unless its profile.ini
// names another one. These routines only list, find and create them.
[[nodiscard]] QString profilesFolder();
[[nodiscard]] QStringList profileNames();  // folder names as on disk, sorted
// Creates profiles/<name>/ as a Maildir; false for a name that cannot be a
// folder name or a folder that cannot be made.
bool createProfile(const QString& name);
[[nodiscard]] bool isValidProfileName(const QString& name);

// Logs on to a profile: its name as the mail system writes it (the folder
// name, found without regard to case), or nothing when there is no such
// profile. A single blank asks the user to choose one.
[[nodiscard]] std::optional<QString> ProfileLogon(const QString& profileName,
                                                  ProfileChooser& chooser);

// Explains where TORVEXes are kept, then lets the user choose or create a
// profile; empty when cancelled.
[[nodiscard]] QString ChooseProfile(MessageBoxes& boxes, ProfileChooser& chooser);

}  // namespace torvex
