#pragma once

#include <QString>

namespace torvex {

// Faxes, mail, receipts and settings are private documents: everything the
// programs create is readable by the user only (folders 0700, files 0600).

// Sets the process's file-creation mask to 077, so every file and folder it
// (and any program it starts) creates is the user's alone. Called first
// thing by each program.
void keepCreatedFilesPrivate();

// Creates the folder and its missing parents as 0700; an existing folder is
// made 0700 as well. True when the folder exists afterwards.
bool makePrivateFolder(const QString& path);

}  // namespace torvex
