#include "sample_fax.h"

#include "platform/print/pcx_pages.h"

#include <QFile>
#include <QPainter>

#include <tiffio.h>

#include <vector>

namespace torvex::tools {
namespace {

constexpr int kFaxWidth = 1728;
constexpr double kMetersPerInch = 0.0254;

int pageHeight(bool fine)
{
    return fine ? 2200 : 1100;  // about 11 inches
}

}  // namespace

QImage renderSampleFaxPage(const SampleFaxOptions& options, int pageNumber)
{
    const double dpiY = options.fine ? 196 : 98;
    // Drawn at 204 x 196 and squeezed for normal resolution, so the text
    // looks the same on paper either way.
    QImage canvas(kFaxWidth, pageHeight(true), QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        painter.setPen(QPen(Qt::black, 6));
        painter.drawRect(40, 40, kFaxWidth - 80, pageHeight(true) - 80);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(64);
        painter.setFont(font);
        painter.drawText(QRect(80, 100, kFaxWidth - 160, 120), Qt::AlignLeft, options.title);
        font.setPixelSize(48);
        painter.setFont(font);
        painter.drawText(QRect(80, 260, kFaxWidth - 160, 80), Qt::AlignLeft,
                         QStringLiteral("Page %1 of %2").arg(pageNumber).arg(options.pages));
        font.setPixelSize(32);
        painter.setFont(font);
        for (int line = 0; line < 30; ++line) {
            painter.drawText(QRect(80, 420 + line * 54, kFaxWidth - 160, 50), Qt::AlignLeft,
                             QStringLiteral("Line %1: The quick brown fox jumps over the lazy dog.").arg(line + 1));
        }
    }
    QImage page = canvas.scaled(kFaxWidth, pageHeight(options.fine), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                      .convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    page.setDotsPerMeterX(qRound(204 / kMetersPerInch));
    page.setDotsPerMeterY(qRound(dpiY / kMetersPerInch));
    return page;
}

bool writeSampleFaxTiff(const QString& path, const SampleFaxOptions& options, FaxCompression compression)
{
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "w");
    if (!tif)
        return false;
    bool ok = true;
    for (int p = 1; p <= options.pages && ok; ++p) {
        QImage page = renderSampleFaxPage(options, p);
        // Fax convention: a set bit is black.
        if (qGray(page.color(0)) < 128)
            page.invertPixels();
        TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(page.width()));
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(page.height()));
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(1));
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(1));
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_MINISWHITE));
        TIFFSetField(tif, TIFFTAG_FILLORDER, uint16_t(FILLORDER_MSB2LSB));
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG));
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, uint32_t(page.height()));
        TIFFSetField(tif, TIFFTAG_XRESOLUTION, 204.0f);
        TIFFSetField(tif, TIFFTAG_YRESOLUTION, options.fine ? 196.0f : 98.0f);
        TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, uint16_t(RESUNIT_INCH));
        TIFFSetField(tif, TIFFTAG_PAGENUMBER, uint16_t(p - 1), uint16_t(options.pages));
        switch (compression) {
        case FaxCompression::Group3:
            TIFFSetField(tif, TIFFTAG_COMPRESSION, uint16_t(COMPRESSION_CCITTFAX3));
            TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, uint32_t(GROUP3OPT_FILLBITS));
            break;
        case FaxCompression::Group3TwoD:
            TIFFSetField(tif, TIFFTAG_COMPRESSION, uint16_t(COMPRESSION_CCITTFAX3));
            TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, uint32_t(GROUP3OPT_2DENCODING | GROUP3OPT_FILLBITS));
            break;
        case FaxCompression::Group4:
            TIFFSetField(tif, TIFFTAG_COMPRESSION, uint16_t(COMPRESSION_CCITTFAX4));
            break;
        case FaxCompression::None:
            TIFFSetField(tif, TIFFTAG_COMPRESSION, uint16_t(COMPRESSION_NONE));
            break;
        }
        for (int row = 0; row < page.height() && ok; ++row)
            ok = TIFFWriteScanline(tif, page.scanLine(row), uint32_t(row), 0) >= 0;
        ok = ok && TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
    return ok;
}

bool writeSampleFaxDcx(const QString& path, const SampleFaxOptions& options)
{
    QList<QByteArray> pages;
    for (int p = 1; p <= options.pages; ++p)
        pages << encodeMonoPcx(renderSampleFaxPage(options, p));
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(encodeDcx(pages)) > 0;
}

bool writeBlankTiff(const QString& path, int pages, int width, int height, bool rgb)
{
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "w");
    if (!tif)
        return false;
    std::vector<uchar> row(size_t(rgb ? width * 3 : (width + 7) / 8), 0);
    bool ok = true;
    for (int p = 0; p < pages && ok; ++p) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(width));
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(height));
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(rgb ? 8 : 1));
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(rgb ? 3 : 1));
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, uint16_t(rgb ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISWHITE));
        TIFFSetField(tif, TIFFTAG_COMPRESSION, uint16_t(rgb ? COMPRESSION_ADOBE_DEFLATE : COMPRESSION_CCITTFAX4));
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG));
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, uint32_t(height));
        for (int y = 0; y < height && ok; ++y)
            ok = TIFFWriteScanline(tif, row.data(), uint32_t(y), 0) >= 0;
        ok = ok && TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
    return ok;
}

}  // namespace torvex::tools
