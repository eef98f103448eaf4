#include "tiff_pages.h"

#include <QFile>

#include <tiffio.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace torvex {
namespace {

constexpr double kMetersPerInch = 0.0254;

// libtiff reports through this handler per open file, so messages end up
// with the file they belong to.
int collectError(TIFF*, void* userData, const char* module, const char* format, va_list args)
{
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    auto* sink = static_cast<QString*>(userData);
    if (sink->isEmpty())
        *sink = QString::fromLocal8Bit(text);
    Q_UNUSED(module);
    return 1;
}

int ignoreWarning(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};

class TiffPages final : public ImagePages {
public:
    static std::unique_ptr<ImagePages> open(const QString& path, QString* error)
    {
        auto pages = std::unique_ptr<TiffPages>(new TiffPages);
        TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
        TIFFOpenOptionsSetErrorHandlerExtR(options, collectError, &pages->lastError_);
        TIFFOpenOptionsSetWarningHandlerExtR(options, ignoreWarning, nullptr);
        // "m": read, not memory-mapped: every page of a mapped file read
        // through would stay in the run's memory.
        pages->tif_.reset(TIFFOpenExt(QFile::encodeName(path).constData(), "rm", options));
        TIFFOpenOptionsFree(options);
        if (!pages->tif_) {
            *error = pages->lastError_.isEmpty() ? QStringLiteral("Not a TIFF file") : pages->lastError_;
            return nullptr;
        }
        pages->count_ = TIFFNumberOfDirectories(pages->tif_.get());
        // A page chain that breaks off (a cut file) is an error here, not
        // a shorter fax.
        if (!pages->lastError_.isEmpty()) {
            *error = pages->lastError_;
            return nullptr;
        }
        if (pages->count_ < 1) {
            *error = QStringLiteral("TIFF file without pages");
            return nullptr;
        }
        return pages;
    }

    [[nodiscard]] int pageCount() const override { return count_; }

    [[nodiscard]] QImage page(int index, ImageError* error) override
    {
        lastError_.clear();
        TIFF* tif = tif_.get();
        if (index < 0 || index >= count_ || !TIFFSetDirectory(tif, tdir_t(index)))
            return fail(error, QStringLiteral("TIFF page %1 cannot be read").arg(index + 1));
        uint32_t width = 0;
        uint32_t height = 0;
        uint16_t bits = 1;
        uint16_t samples = 1;
        uint16_t photometric = PHOTOMETRIC_MINISWHITE;
        TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
        TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
        TIFFGetFieldDefaulted(tif, TIFFTAG_PHOTOMETRIC, &photometric);
        if (width == 0 || height == 0)
            return fail(error, QStringLiteral("TIFF page %1 has an unusable size").arg(index + 1));
        const bool bilevel = bits == 1 && samples == 1 && !TIFFIsTiled(tif);
        if (refusePage(width, height, bilevel ? 1 : 32, error))
            return {};

        QImage image = bilevel ? readBilevel(width, height, photometric) : readRgba(width, height);
        // libtiff's fax decoders report bad code words and go on; a page
        // with errors is damaged all the same.
        if (image.isNull() || !lastError_.isEmpty())
            return fail(error, lastError_.isEmpty() ? QStringLiteral("TIFF page %1 is damaged").arg(index + 1)
                                                     : lastError_);
        setResolution(image);
        return image;
    }

private:
    TiffPages() = default;

    QImage fail(ImageError* error, const QString& text) const
    {
        error->text = text;
        return {};
    }

    // Fax pages: one bit per pixel, kept at one bit.
    QImage readBilevel(uint32_t width, uint32_t height, uint16_t photometric)
    {
        QImage image(int(width), int(height), QImage::Format_Mono);
        if (image.isNull())
            return {};
        const QRgb white = qRgb(255, 255, 255);
        const QRgb black = qRgb(0, 0, 0);
        image.setColorTable(photometric == PHOTOMETRIC_MINISBLACK ? QList<QRgb>{black, white}
                                                                    : QList<QRgb>{white, black});
        const tmsize_t lineSize = TIFFScanlineSize(tif_.get());
        if (lineSize <= 0 || lineSize > image.bytesPerLine())
            return {};
        for (uint32_t row = 0; row < height; ++row) {
            if (TIFFReadScanline(tif_.get(), image.scanLine(int(row)), row, 0) < 0)
                return {};
        }
        return image;
    }

    QImage readRgba(uint32_t width, uint32_t height)
    {
        QImage image(int(width), int(height), QImage::Format_RGBA8888);
        if (image.isNull() || image.bytesPerLine() != qsizetype(width) * 4)
            return {};
        // libtiff packs each pixel as A B G R from the high byte down, which
        // is R G B A in memory on the little-endian hosts we run on; its
        // raster is the image's own memory, so the page is held once.
        static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
        auto* raster = reinterpret_cast<uint32_t*>(image.bits());
        if (!TIFFReadRGBAImageOriented(tif_.get(), width, height, raster, ORIENTATION_TOPLEFT, 0))
            return {};
        return image;
    }

    void setResolution(QImage& image)
    {
        float xres = 0;
        float yres = 0;
        uint16_t unit = RESUNIT_INCH;
        const bool haveX = TIFFGetField(tif_.get(), TIFFTAG_XRESOLUTION, &xres) && xres > 0;
        const bool haveY = TIFFGetField(tif_.get(), TIFFTAG_YRESOLUTION, &yres) && yres > 0;
        TIFFGetFieldDefaulted(tif_.get(), TIFFTAG_RESOLUTIONUNIT, &unit);
        double dpiX = 200;
        double dpiY = 200;
        if (haveX && haveY) {
            if (unit == RESUNIT_CENTIMETER) {
                dpiX = xres * 2.54;
                dpiY = yres * 2.54;
            } else if (unit == RESUNIT_INCH) {
                dpiX = xres;
                dpiY = yres;
            } else {
                dpiY = dpiX * yres / xres;  // only the aspect is known
            }
        }
        image.setDotsPerMeterX(qRound(dpiX / kMetersPerInch));
        image.setDotsPerMeterY(qRound(dpiY / kMetersPerInch));
    }

    std::unique_ptr<TIFF, TiffCloser> tif_;
    QString lastError_;
    int count_ = 0;
};

}  // namespace

std::unique_ptr<ImagePages> openTiffPages(const QString& path, QString* error)
{
    return TiffPages::open(path, error);
}

}  // namespace torvex
