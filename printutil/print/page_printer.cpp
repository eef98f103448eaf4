#include "page_printer.h"

#include "common/telvane_info.h"
#include "platform/print/image_pages.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

namespace torvex {
namespace {

// A setting that does not give a usable positive number keeps its default:
// a width or page length of 0 would never end a line or a page.
int positiveSetting(const QString& key, int defaultValue)
{
    bool ok = false;
    const int value = readTorvexKey(key, QString::number(defaultValue)).trimmed().toInt(&ok);
    return ok && value > 0 ? value : defaultValue;
}

double fontSizeSetting()
{
    bool ok = false;
    const double value = readTorvexKey(QStringLiteral("font_size"), QStringLiteral("10")).trimmed().toDouble(&ok);
    return ok && value > 0 ? value : 10.0;
}

}  // namespace

PagePrinter::PagePrinter(PrintDevice& device) : device_(device) {}

ImageFileCheck PagePrinter::LoadImageFile(const QString& filename)
{
    ImageError error;
    if (checkImageLoadable(filename, &error) > 0)
        return {true, ImageLimit::None, {}};
    return {false, error.limit, error.text};
}

ImagePrintResult PagePrinter::PrintNow(const QString& filename)
{
    const auto fileFailed = [](const QString& text) {
        return ImagePrintResult{false, PrintFailure::File, text, 0};
    };
    const auto printerFailed = [this](int pages) {
        return ImagePrintResult{false, PrintFailure::Printer, device_.errorString(), pages};
    };
    const ImageFileCheck check = LoadImageFile(filename);
    if (!check.gflgFileOK)
        return fileFailed(check.gPrintErrMsg);
    ImageError error;
    const std::unique_ptr<ImagePages> pages = openImagePages(filename, &error);
    if (!pages)
        return fileFailed(error.text);
    const int pageCount = pages->pageCount();
    if (!device_.beginJob(QFileInfo(filename).fileName()))
        return printerFailed(pageCount);
    for (int i = 0; i < pageCount; ++i) {
        const QImage page = pages->page(i, &error);
        if (page.isNull()) {
            (void)device_.endJob();
            return fileFailed(QStringLiteral("Print Processing Error"));
        }
        if (!device_.printImagePage(page)) {
            ImagePrintResult failed = printerFailed(pageCount);
            (void)device_.endJob();
            return failed;
        }
    }
    if (!device_.endJob())
        return printerFailed(pageCount);
    return {true, PrintFailure::None, {}, pageCount};
}

bool PagePrinter::PrintBlockOfText(const QString& text, bool flgPageHdr, const QString& Sent,
                                   const QString& Received, const QString& Sender, int& pageNo)
{
    return printText(text, flgPageHdr, {Sent, Received, Sender}, pageNo) != TextOutcome::PrinterFailed;
}

PagePrinter::TextOutcome PagePrinter::printText(const QString& text, bool flgPageHdr,
                                                const PageHeaderFields& header, int& pageNo)
{
    const TextPageStyle style{fontSizeSetting(), positiveSetting(QStringLiteral("chrs_per_line"), 110),
                              positiveSetting(QStringLiteral("lines_per_page"), 80)};
    pageNo = 1;
    const TextBlockLayout layout =
        layoutTextBlock(text, flgPageHdr, header, style.charsPerLine, style.linesPerPage);
    // Nothing of a text too long for any real fax goes on paper.
    if (layout.tooLong)
        return TextOutcome::TooLong;
    if (!device_.beginJob(QStringLiteral("TORVEX Print")))
        return TextOutcome::PrinterFailed;
    bool ok = true;
    for (const QStringList& page : layout.pages) {
        ok = device_.printTextPage(page, style) && ok;
        ++pageNo;
    }
    return device_.endJob() && ok ? TextOutcome::Printed : TextOutcome::PrinterFailed;
}

void PagePrinter::waitForTimer1(int intervalMs)
{
    QEventLoop loop;
    QTimer::singleShot(intervalMs, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace torvex
