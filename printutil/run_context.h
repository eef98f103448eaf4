#pragma once

#include "common/telvane_info.h"
#include "run_folders.h"

#include <QString>

namespace torvex {

// Program-wide state of one print run, shared by the run driver and the
// mail transport: the settings record, the working folders and the error
// text that ends up in last_error.
struct RunContext {
    TelvaneInfo info;
    RunFolders folders;
    QString gLastError;
    bool loggingSwitch = true;  // the mail transport always logs to [log]
    QString gLogin;             // Torvex_Addr before its first "@"
    QString gPOPServer;         // Torvex_Addr after its first "@"
    QString programFolder;

    [[nodiscard]] QString accountFilePath() const
    {
        return programFolder + QStringLiteral("/account.ini");
    }
};

}  // namespace torvex
