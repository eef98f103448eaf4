#pragma once

#include <QImage>
#include <QString>

#include <memory>

namespace torvex {

// Limits far above any real fax, so that no file can exhaust memory or
// paper: pages per file, pixels per page, and bytes per decoded page.
inline constexpr int kMaxFaxPages = 500;
inline constexpr qint64 kMaxPagePixels = 60'000'000;
inline constexpr qint64 kMaxPageBytes = 100LL * 1024 * 1024;

// Which limit a file passed; None for a file that is merely unreadable.
enum class ImageLimit { None, Pages, PagePixels, PageBytes };

// Why an image cannot be used.
struct ImageError {
    ImageLimit limit = ImageLimit::None;
    QString text;
};

// The limit a page of that size and depth would pass, if any.
[[nodiscard]] ImageLimit pageLimit(qint64 width, qint64 height, int bitsPerPixel);
// Sets error for that limit and returns true when the page passes one.
bool refusePage(qint64 width, qint64 height, int bitsPerPixel, ImageError* error);

// The pages of an image file, decoded one at a time so a long fax never
// sits in memory whole. Each page carries its own resolution
// (dotsPerMeterX/Y), which may differ across and down (204 x 98 dpi).
class ImagePages {
public:
    virtual ~ImagePages() = default;
    [[nodiscard]] virtual int pageCount() const = 0;
    // A null image (and error set) when the page cannot be decoded.
    [[nodiscard]] virtual QImage page(int index, ImageError* error) = 0;
};

// Opens TIFF (libtiff: every compression it knows, CCITT Group 3 and 4
// included, every page), PCX and multi-page DCX (our reader), and whatever
// Qt's image readers know (JPEG, BMP, ...). AWD documents and files no
// reader takes give null with the reason in error.
// A file of more than kMaxFaxPages pages is refused.
[[nodiscard]] std::unique_ptr<ImagePages> openImagePages(const QString& path, ImageError* error);

// Opens and decodes every page, so a truncated or corrupt file is caught
// before anything is printed. Returns the page count; 0 with error set
// when the file is not loadable.
[[nodiscard]] int checkImageLoadable(const QString& path, ImageError* error);

}  // namespace torvex
