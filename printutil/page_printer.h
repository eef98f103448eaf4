#pragma once

#include "text_layout.h"

#include "platform/image_pages.h"
#include "platform/print_device.h"

#include <QString>

namespace torvex {

// Everything the run puts on paper: fax images and other image files, and
// blocks of text with the utility's own line breaking and pagination. The
// results of the last image operation are kept in the fields the run and
// the receipt read.
class PagePrinter {
public:
    explicit PagePrinter(PrintDevice& device);

    // Takes the file as the current image and checks that every page of it
    // decodes: gflgFileOK, and gPrintErrMsg when it does not.
    void LoadImageFile(const QString& filename);
    // Loads and prints one image file, every page; gflgPrintImage.
    void PrintNow(const QString& filename);
    // Prints a text block as one job, laid out by chrs_per_line and
    // lines_per_page in font_size (read from the settings at every call).
    // pageNo starts at 1 and counts on with every page. False when the
    // printer failed anywhere in the block.
    bool PrintBlockOfText(const QString& text, bool flgPageHdr, const QString& Sent,
                          const QString& Received, const QString& Sender, int& pageNo);

    enum class TextOutcome { Printed, PrinterFailed, TooLong };
    // PrintBlockOfText telling a text longer than kMaxTextPages pages (not
    // printed at all) from a printer that failed.
    TextOutcome printText(const QString& text, bool flgPageHdr, const PageHeaderFields& header, int& pageNo);

    // The print window's timer: one tick of intervalMs, waited for with the
    // event loop running.
    static void waitForTimer1(int intervalMs);

    bool gflgFileOK = false;
    ImageLimit gImageLimit = ImageLimit::None;  // the limit the last image refused passed
    bool gflgPrintImage = false;
    QString gPrintErrMsg;
    QString gfaxPageCount = QStringLiteral("0");

private:
    // Prints the current image; -1 on success, 0 on failure.
    long Printout1();

    PrintDevice& device_;
    QString currentImage_;
};

}  // namespace torvex
