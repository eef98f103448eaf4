#include "image_pages.h"

#include "platform/print/pcx_pages.h"
#include "platform/print/tiff_pages.h"

#include <QFile>
#include <QImageReader>

namespace torvex {
namespace {

bool looksLikeTiff(const QByteArray& head)
{
    return head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4))
        || head.startsWith(QByteArray("II+\0", 4)) || head.startsWith(QByteArray("MM\0+", 4));
}

// AWD (At Work Document) faxes are OLE compound files, a format no reader
// here understands.
bool looksLikeCompoundDocument(const QByteArray& head)
{
    return head.startsWith(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
}

// Any format Qt reads; multi-frame files give one page per frame.
class QtImagePages final : public ImagePages {
public:
    explicit QtImagePages(const QString& path) : path_(path)
    {
        QImageReader reader(path_);
        count_ = qMax(1, reader.imageCount());
    }

    [[nodiscard]] int pageCount() const override { return count_; }

    [[nodiscard]] QImage page(int index, ImageError* error) override
    {
        QImageReader reader(path_);
        reader.setAllocationLimit(int(kMaxPageBytes / (1024 * 1024)));
        if (index > 0 && !reader.jumpToImage(index)) {
            error->text = QStringLiteral("No such page");
            return {};
        }
        const QSize size = reader.size();
        if (size.isValid() && refusePage(size.width(), size.height(), 32, error))
            return {};
        QImage image = reader.read();
        if (image.isNull())
            error->text = reader.errorString();
        return image;
    }

private:
    QString path_;
    int count_ = 1;
};

std::unique_ptr<ImagePages> openReader(const QString& path, ImageError* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error->text = file.errorString();
        return nullptr;
    }
    const QByteArray head = file.read(16);
    file.close();
    if (head.isEmpty()) {
        error->text = QStringLiteral("The image file is empty");
        return nullptr;
    }
    if (looksLikeTiff(head))
        return openTiffPages(path, &error->text);
    if (looksLikeDcx(head) || looksLikePcx(head))
        return openPcxPages(path, &error->text);
    if (path.endsWith(QStringLiteral(".AWD"), Qt::CaseInsensitive) || looksLikeCompoundDocument(head)) {
        error->text = QStringLiteral("AWD documents cannot be loaded");
        return nullptr;
    }
    QImageReader reader(path);
    if (!reader.canRead()) {
        error->text = QStringLiteral("Unknown or damaged image file");
        return nullptr;
    }
    return std::make_unique<QtImagePages>(path);
}

}  // namespace

ImageLimit pageLimit(qint64 width, qint64 height, int bitsPerPixel)
{
    if (width * height > kMaxPagePixels)
        return ImageLimit::PagePixels;
    if ((width * qMax(1, bitsPerPixel) + 7) / 8 * height > kMaxPageBytes)
        return ImageLimit::PageBytes;
    return ImageLimit::None;
}

bool refusePage(qint64 width, qint64 height, int bitsPerPixel, ImageError* error)
{
    error->limit = pageLimit(width, height, bitsPerPixel);
    switch (error->limit) {
    case ImageLimit::None:
        return false;
    case ImageLimit::PagePixels:
        error->text = QStringLiteral("A page of more than %1 million pixels").arg(kMaxPagePixels / 1'000'000);
        return true;
    case ImageLimit::PageBytes:
    case ImageLimit::Pages:
        break;
    }
    error->text = QStringLiteral("A page of more than %1 MB in memory").arg(kMaxPageBytes / (1024 * 1024));
    return true;
}

std::unique_ptr<ImagePages> openImagePages(const QString& path, ImageError* error)
{
    std::unique_ptr<ImagePages> pages = openReader(path, error);
    if (pages && pages->pageCount() > kMaxFaxPages) {
        error->limit = ImageLimit::Pages;
        error->text = QStringLiteral("More than %1 pages").arg(kMaxFaxPages);
        return nullptr;
    }
    return pages;
}

int checkImageLoadable(const QString& path, ImageError* error)
{
    const std::unique_ptr<ImagePages> pages = openImagePages(path, error);
    if (!pages)
        return 0;
    for (int i = 0; i < pages->pageCount(); ++i) {
        if (pages->page(i, error).isNull())
            return 0;
    }
    return pages->pageCount();
}

}  // namespace torvex
