#pragma once

#include "text_layout.h"

#include "platform/print/image_pages.h"
#include "platform/print/print_device.h"

#include <QString>

namespace torvex {

// What LoadImageFile found of an image file.
struct ImageFileCheck {
    bool gflgFileOK = false;                    // every page of it decodes
    ImageLimit gImageLimit = ImageLimit::None;  // the limit a refused file passed
    QString gPrintErrMsg;                       // why it does not, when it does not
};

// What PrintNow came to.
struct ImagePrintResult {
    bool gflgPrintImage = false;  // every page printed
    PrintFailure failure = PrintFailure::None;
    QString gPrintErrMsg;
    int gfaxPageCount = 0;        // the pages of the file
};

// Everything the run puts on paper: fax images and other image files, and
// blocks of text with the utility's own line breaking and pagination.
class PagePrinter {
public:
    explicit PagePrinter(PrintDevice& device);

    // Checks that every page of the image file decodes.
    [[nodiscard]] static ImageFileCheck LoadImageFile(const QString& filename);
    // Loads and prints one image file, every page, as one job.
    [[nodiscard]] ImagePrintResult PrintNow(const QString& filename);
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

    // The message the next jobs print, by its unique name.
    void setJobOwner(const QString& owner) { device_.setJobOwner(owner); }

    // The print window's timer: one tick of intervalMs, waited for with the
    // event loop running.
    static void waitForTimer1(int intervalMs);

private:
    PrintDevice& device_;
};

}  // namespace torvex
