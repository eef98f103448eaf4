#pragma once

#include <QString>
#include <QStringList>

namespace torvex {

// The built-in printer that writes every print job as a PDF file into
// Printouts/ in the program folder.
inline constexpr auto kPdfPrinterName = "TORVEX PDF";

// The system's printers in enumeration order: the CUPS queues Qt knows, then
// the built-in PDF printer.
[[nodiscard]] QStringList systemPrinterNames();

// The folder the built-in PDF printer writes into.
[[nodiscard]] QString pdfPrintoutFolder();

}  // namespace torvex
