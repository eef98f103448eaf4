#pragma once

#include <QImage>
#include <QString>

#include <memory>

namespace torvex {

// The pages of an image file, decoded one at a time so a long fax never
// sits in memory whole. Each page carries its own resolution
// (dotsPerMeterX/Y), which may differ across and down (204 x 98 dpi).
class ImagePages {
public:
    virtual ~ImagePages() = default;
    [[nodiscard]] virtual int pageCount() const = 0;
    // A null image (and error set) when the page cannot be decoded.
    [[nodiscard]] virtual QImage page(int index, QString* error) = 0;
};

// Opens TIFF (libtiff: every compression it knows, CCITT Group 3 and 4
// included, every page), PCX and multi-page DCX (our reader), and whatever
// Qt's image readers know (JPEG, BMP, ...). AWD documents and files no
// reader takes give null with the reason in error.
[[nodiscard]] std::unique_ptr<ImagePages> openImagePages(const QString& path, QString* error);

// Opens and decodes every page, so a truncated or corrupt file is caught
// before anything is printed. Returns the page count; 0 with error set
// when the file is not loadable.
[[nodiscard]] int checkImageLoadable(const QString& path, QString* error);

// Decoded images larger than this many pixels are refused rather than
// allocated (a corrupt header may claim any size).
inline constexpr qint64 kMaxImagePixels = 120'000'000;

}  // namespace torvex
