#include "page_printer.h"

#include "common/telvane_info.h"
#include "platform/image_pages.h"

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

void PagePrinter::LoadImageFile(const QString& filename)
{
    currentImage_ = filename;
    ImageError error;
    gflgFileOK = checkImageLoadable(filename, &error) > 0;
    gPrintErrMsg = gflgFileOK ? QString() : error.text;
    gImageLimit = gflgFileOK ? ImageLimit::None : error.limit;
}

void PagePrinter::PrintNow(const QString& filename)
{
    LoadImageFile(filename);
    gflgPrintImage = Printout1() == -1;
}

long PagePrinter::Printout1()
{
    gPrintErrMsg.clear();
    ImageError error;
    const std::unique_ptr<ImagePages> pages = openImagePages(currentImage_, &error);
    if (!pages) {
        gPrintErrMsg = error.text;
        return 0;
    }
    gfaxPageCount = QString::number(pages->pageCount());
    if (!device_.beginJob(QFileInfo(currentImage_).fileName())) {
        gPrintErrMsg = device_.errorString();
        return 0;
    }
    bool printed = true;
    for (int i = 0; i < pages->pageCount() && printed; ++i) {
        const QImage page = pages->page(i, &error);
        if (page.isNull()) {
            gPrintErrMsg = QStringLiteral("Print Processing Error");
            printed = false;
        } else if (!device_.printImagePage(page)) {
            gPrintErrMsg = device_.errorString();
            printed = false;
        }
    }
    if (!device_.endJob() && printed) {
        gPrintErrMsg = device_.errorString();
        printed = false;
    }
    return printed ? -1 : 0;
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
