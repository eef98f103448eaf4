#include "printer_list.h"

#include "platform/settings/app_paths.h"

#include <QPrinterInfo>

namespace torvex {

QStringList systemPrinterNames()
{
    QStringList names = QPrinterInfo::availablePrinterNames();
    names.removeAll(QString::fromLatin1(kPdfPrinterName));
    names << QString::fromLatin1(kPdfPrinterName);
    return names;
}

QString pdfPrintoutFolder()
{
    return inProgramFolder(QStringLiteral("Printouts"));
}

}  // namespace torvex
