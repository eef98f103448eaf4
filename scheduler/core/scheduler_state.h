#pragma once

#include "common/telvane_info.h"

#include <QString>

namespace torvex {

// The scheduler's program-wide state: the settings record and the values
// the start-up derives from it, shared by the scheduler's parts. Fields keep
// the names the program uses for them.
struct SchedulerState {
    TelvaneInfo info;  // the settings record, filled once at start

    QString gAppPath;          // program folder
    QString gAccountFilePath;  // gAppPath + "/account.ini"
    QString gShellPath;        // the print utility
    QString gdfltProfile;      // Default_Profile of the account file

    qint32 gRegularFaxInterval = 0;  // minutes between regular-fax checks
    qint32 countdown = 0;            // minutes until the next scheduled retrieval

    bool flgLoading = false;  // the window is being loaded: most handlers do nothing
    // A retrieval nobody asked for runs (the schedule's or a ring's): its
    // messages go to the status bar and the Line State box, not to boxes.
    bool unattended = false;
    bool gflgSendIPAddressUpdate = false;
    QString gLocalIPAddr;

    // The two halves of the TORVEX address at its "@".
    QString gLogin;
    QString gDomain;

    bool settingsApplied = false;          // the last Apply passed every check
    bool printerQuestionAnswered = false;  // "No" to the printer question: not asked again
    QString lastError;                     // last_error of the last print run
};

}  // namespace torvex
