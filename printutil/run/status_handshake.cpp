#include "status_handshake.h"

#include "common/telvane_info.h"

namespace torvex {

void SetPrintStatus(const QString& text)
{
    writeTorvexKey(QStringLiteral("print_status"), text);
}

QString summaryStatusText(const RunCounters& counters)
{
    return QStringLiteral(" Printed %1 TORVEXes + %2 Regular Faxes")
        .arg(counters.torvexesPrinted)
        .arg(counters.regularFaxesPrinted);
}

QString sessionText(const RunCounters& counters)
{
    return QStringLiteral("%1,%2,%3,0")
        .arg(counters.torvexesPrinted)
        .arg(counters.torvexesUnprintable)
        .arg(counters.regularFaxesPrinted);
}

void writeSummary(const QString& lastError, const RunCounters& counters)
{
    writeTorvexKey(QStringLiteral("last_error"), lastError);
    SetPrintStatus(summaryStatusText(counters));
    writeTorvexKey(QStringLiteral("printing"), QStringLiteral("0"));
    writeTorvexKey(QStringLiteral("session"), sessionText(counters));
    writeTorvexKey(QStringLiteral("totals"), QStringLiteral("0,0,0,0"));
    writeTorvexKey(QStringLiteral("VXPrint"), QStringLiteral("quit"));
}

}  // namespace torvex
