#include "run_switch.h"

namespace torvex {

RunKind runKindFor(const QString& commandLine)
{
    if (commandLine.isEmpty())
        return RunKind::NoCommandLine;
    if (commandLine == QLatin1String("/0"))
        return RunKind::Retrieve;
    if (commandLine == QLatin1String("/1"))
        return RunKind::RegularFaxOnly;
    if (commandLine == QLatin1String("/2"))
        return RunKind::TestMessage;
    if (commandLine == QLatin1String("/3"))
        return RunKind::WakeUpRetrieve;
    if (commandLine == QLatin1String("/4"))
        return RunKind::PauseThenPrint;
    if (commandLine == QLatin1String("/5"))
        return RunKind::RegularEMail;
    if (commandLine == QLatin1String("/7"))
        return RunKind::TestMode;
    return RunKind::PrintOnly;
}

bool fetchesMail(RunKind kind)
{
    return kind == RunKind::Retrieve || kind == RunKind::WakeUpRetrieve
        || kind == RunKind::RegularEMail;
}

}  // namespace torvex
