#pragma once

#include "common/telvane_info.h"
#include "printutil/run/run_folders.h"

#include <QString>

#include <functional>

namespace torvex {

// Program-wide state of one print run, shared by the run driver and the
// mail transport: the settings record, the working folders and the error
// text that ends up in last_error.
struct RunContext {
    TelvaneInfo info;
    RunFolders folders;
    QString gLastError;
    QString gLogin;             // Torvex_Addr before its first "@"
    QString gPOPServer;         // Torvex_Addr after its first "@"
    QString programFolder;
    // Tells later starts until when the run expects to be done: each phase
    // sets it from its own bound (unscaled milliseconds from now).
    std::function<void(qint64 ms)> timeBound;

    void expectDoneWithin(qint64 ms) const
    {
        if (timeBound)
            timeBound(ms);
    }

    [[nodiscard]] QString accountFilePath() const
    {
        return programFolder + QStringLiteral("/account.ini");
    }
};

}  // namespace torvex
