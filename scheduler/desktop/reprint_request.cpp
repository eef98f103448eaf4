#include "reprint_request.h"

#include "common/reprint_switch.h"

namespace torvex {

QStringList reprintArguments(const QString& messageId)
{
    return {QString::fromLatin1(kReprintSwitch), messageId};
}

QString reprintOutcomeText(int exitCode, bool crashed)
{
    if (crashed)
        return QStringLiteral("The print utility ended before the fax was printed again.");
    switch (ReprintOutcome(exitCode)) {
    case ReprintOutcome::Printed:
        return QStringLiteral("The fax was printed again.");
    case ReprintOutcome::PrinterError:
        return QStringLiteral("Not printed: the printer failed, or no printer is chosen on the Printing page.");
    case ReprintOutcome::Busy:
        return QStringLiteral("Not printed: a retrieval is running. Please try again when it has finished.");
    case ReprintOutcome::NotFiled:
        return QStringLiteral("Not printed: the fax is no longer in its folder.");
    case ReprintOutcome::NotPrinted:
        return QStringLiteral("Not printed: the fax holds nothing to print.");
    }
    return QStringLiteral("Not printed (error %1).").arg(exitCode);
}

}  // namespace torvex
