#include "print_device.h"

#include "platform/files/private_files.h"
#include "platform/print/printer_list.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <cmath>

namespace torvex {
namespace {

constexpr double kTextMarginInches = 0.4;
constexpr int kTabColumns = 8;
constexpr double kMetersPerInch = 0.0254;

QString printable(const QString& line)
{
    QString out;
    out.reserve(line.size());
    for (QChar c : line) {
        if (c == QLatin1Char('\t') || c.unicode() >= 0x20)
            out += c;
    }
    return out;
}

// The end of a printout's name that tells whose it is: the characters of
// a file name only.
QString ownerSuffix(const QString& owner)
{
    QString suffix;
    for (const QChar c : owner) {
        if (c.isLetterOrNumber() || c == QLatin1Char('.') || c == QLatin1Char('_'))
            suffix += c;
        else
            suffix += QLatin1Char('_');
    }
    return suffix.isEmpty() ? suffix : QLatin1Char('-') + suffix.left(200);
}

// Qt writes a one-bit image as a one-bit PDF bitmap only when its colour 0
// is black and colour 1 white; any other table costs a byte per pixel.
QImage withBlackFirst(const QImage& page)
{
    if (page.depth() != 1 || page.colorCount() != 2)
        return page;
    QImage image = page.convertToFormat(QImage::Format_Mono);
    const QRgb black = qRgb(0, 0, 0);
    const QRgb white = qRgb(255, 255, 255);
    if (image.color(0) == qRgba(255, 255, 255, 255) && image.color(1) == qRgba(0, 0, 0, 255)) {
        image.setColorTable({black, white});  // keeps the bits, which invert next
        image.invertPixels();
    }
    return image;
}

class QtPrintDevice final : public PrintDevice {
public:
    QtPrintDevice(QString printerName, QString pdfFolder)
        : printerName_(std::move(printerName)), pdfFolder_(std::move(pdfFolder))
    {
        // Only one run at a time prints: a part file now is a job a run
        // that was ended never finished.
        if (printerName_ == QString::fromLatin1(kPdfPrinterName))
            removeUnfinishedPrintouts(pdfFolder_);
    }

    ~QtPrintDevice() override
    {
        if (painter_)
            painter_->end();
    }

    bool beginJob(const QString& title) override
    {
        error_.clear();
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (printerName_ == QString::fromLatin1(kPdfPrinterName)) {
            pdfFile_ = reservePrintoutFile(pdfFolder_, owner_);
            if (pdfFile_.isEmpty())
                return fail(QStringLiteral("Printer Error : cannot write into ") + pdfFolder_);
            printer_->setOutputFormat(QPrinter::PdfFormat);
            printer_->setOutputFileName(printoutPartFile(pdfFile_));
        } else {
            if (QPrinterInfo::printerInfo(printerName_).isNull())
                return fail(QStringLiteral("Printer Error : no printer named ") + printerName_);
            printer_->setPrinterName(printerName_);
        }
        printer_->setDocName(title);
        printer_->setFullPage(true);
        painter_ = std::make_unique<QPainter>();
        if (!painter_->begin(printer_.get())) {
            painter_.reset();
            if (!pdfFile_.isEmpty())
                QFile::remove(printoutPartFile(pdfFile_));
            return fail(QStringLiteral("Printer Error : cannot start a print job on ") + printerName_);
        }
        firstSheet_ = true;
        return true;
    }

    bool printTextPage(const QStringList& lines, const TextPageStyle& style) override
    {
        if (!painter_ || !nextSheet())
            return false;
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setStyleHint(QFont::SansSerif);
        // Characters as written: no ligatures ("ffi") or other shaping.
        font.setStyleStrategy(QFont::PreferNoShaping);
        font.setPointSizeF(style.pointSize > 0 ? style.pointSize : 10);
        painter_->setFont(font);
        const QFontMetricsF metrics(font, printer_.get());
        const double margin = kTextMarginInches * printer_->resolution();
        const QRectF area = printer_->paperRect(QPrinter::DevicePixel).adjusted(margin, margin, -margin, -margin);
        const double lineHeight = metrics.lineSpacing();
        const double tabWidth = kTabColumns * metrics.averageCharWidth();
        // Capitals and digits are wider than the average character the
        // layout's width counts in: the widest line as drawn must fit too.
        double widest = (style.charsPerLine + kTabColumns) * metrics.averageCharWidth();
        for (const QString& line : lines)
            widest = std::max(widest, drawLine(line, metrics, tabWidth, 0, false));
        const double neededHeight = (style.linesPerPage + 2) * lineHeight;
        const double scale = std::min({1.0, area.width() / widest, area.height() / neededHeight});

        const double usableHeight = area.height() / scale;
        double y = 0;
        painter_->save();
        painter_->translate(area.topLeft());
        painter_->scale(scale, scale);
        for (const QString& line : lines) {
            if (y + lineHeight > usableHeight) {
                if (!printer_->newPage()) {
                    painter_->restore();
                    return fail(QStringLiteral("Printer Error : cannot start a new page"));
                }
                y = 0;
            }
            (void)drawLine(line, metrics, tabWidth, y + metrics.ascent(), true);
            y += lineHeight;
        }
        painter_->restore();
        return true;
    }

    bool printImagePage(const QImage& page) override
    {
        if (!painter_ || !nextSheet())
            return false;
        const QRectF paper = printer_->paperRect(QPrinter::DevicePixel);
        const double resolution = printer_->resolution();
        const double dpiX = page.dotsPerMeterX() > 0 ? page.dotsPerMeterX() * kMetersPerInch : 200;
        const double dpiY = page.dotsPerMeterY() > 0 ? page.dotsPerMeterY() * kMetersPerInch : 200;
        QSizeF size(page.width() / dpiX * resolution, page.height() / dpiY * resolution);
        if (size.width() > paper.width() || size.height() > paper.height())
            size.scale(paper.size(), Qt::KeepAspectRatio);
        painter_->drawImage(QRectF(paper.topLeft(), size), withBlackFirst(page));
        return true;
    }

    bool endJob() override
    {
        if (!painter_)
            return false;
        const bool ended = painter_->end();
        painter_.reset();
        if (!ended)
            return fail(QStringLiteral("Printer Error : the print job could not be completed"));
        // The PDF appears under its name only whole: a run ended while
        // writing leaves no torn printout behind.
        if (!pdfFile_.isEmpty() && !QFile::rename(printoutPartFile(pdfFile_), pdfFile_))
            return fail(QStringLiteral("Printer Error : cannot write ") + pdfFile_);
        return true;
    }

    [[nodiscard]] QString errorString() const override { return error_; }
    void setJobOwner(const QString& owner) override { owner_ = owner; }

private:
    // The width of one line as drawn, drawing it at that baseline when
    // asked. Tabs move to the next stop, as a typewriter's do.
    double drawLine(const QString& line, const QFontMetricsF& metrics, double tabWidth, double baseline, bool draw)
    {
        double x = 0;
        const QStringList pieces = printable(line).split(QLatin1Char('\t'));
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            if (i > 0)
                x = (std::floor(x / tabWidth) + 1) * tabWidth;
            if (!pieces[i].isEmpty()) {
                if (draw)
                    painter_->drawText(QPointF(x, baseline), pieces[i]);
                x += metrics.horizontalAdvance(pieces[i]);
            }
        }
        return x;
    }

    bool nextSheet()
    {
        if (firstSheet_) {
            firstSheet_ = false;
            return true;
        }
        if (printer_->newPage())
            return true;
        return fail(QStringLiteral("Printer Error : cannot start a new page"));
    }

    bool fail(const QString& text)
    {
        error_ = text;
        return false;
    }

    QString printerName_;
    QString pdfFolder_;
    QString pdfFile_;
    QString owner_;
    QString error_;
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
    bool firstSheet_ = true;
};

}  // namespace

std::unique_ptr<PrintDevice> makePrintDevice(const QString& printerName, const QString& pdfFolder)
{
    return std::make_unique<QtPrintDevice>(printerName, pdfFolder);
}

QString printoutPartFile(const QString& printout)
{
    return printout + QStringLiteral(".part");
}

void removeUnfinishedPrintouts(const QString& folder)
{
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("TORVEX-*.pdf.part")}, QDir::Files))
        QFile::remove(dir.filePath(name));
}

QString reservePrintoutFile(const QString& folder, const QString& owner)
{
    static int sequence = 0;
    if (!makePrivateFolder(folder))
        return {};
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    // A number no printout of this second has, whichever fax or run it
    // belongs to, keeps the names in the order they were printed.
    const QStringList thisSecond =
        QDir(folder).entryList({QStringLiteral("TORVEX-") + stamp + QStringLiteral("-*")}, QDir::Files);
    for (int attempt = 0; attempt < 10000; ++attempt) {
        sequence = sequence % 9999 + 1;
        const QString name = QStringLiteral("TORVEX-%1-%2").arg(stamp).arg(sequence, 4, 10, QLatin1Char('0'));
        if (std::ranges::any_of(thisSecond, [&name](const QString& used) { return used.startsWith(name); }))
            continue;
        const QString path = folder + QLatin1Char('/') + name + ownerSuffix(owner) + QStringLiteral(".pdf");
        QFile file(printoutPartFile(path));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return path;
        if (!file.exists())
            return {};  // not taken, yet not writable
    }
    return {};
}

QStringList printoutsOf(const QString& folder, const QString& owner)
{
    const QString suffix = ownerSuffix(owner);
    if (suffix.isEmpty())
        return {};
    const QDir dir(folder);
    QStringList found;
    for (const QString& name : dir.entryList({QStringLiteral("TORVEX-*") + suffix + QStringLiteral(".pdf")}, QDir::Files, QDir::Name))
        found << dir.filePath(name);
    return found;
}

}  // namespace torvex
