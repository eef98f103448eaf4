#include "image_pages.h"

#include "pcx_pages.h"
#include "tiff_pages.h"

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

    [[nodiscard]] QImage page(int index, QString* error) override
    {
        QImageReader reader(path_);
        reader.setAllocationLimit(int(kMaxImagePixels * 4 / (1024 * 1024)));
        if (index > 0 && !reader.jumpToImage(index)) {
            *error = QStringLiteral("No such page");
            return {};
        }
        QImage image = reader.read();
        if (image.isNull())
            *error = reader.errorString();
        return image;
    }

private:
    QString path_;
    int count_ = 1;
};

}  // namespace

std::unique_ptr<ImagePages> openImagePages(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return nullptr;
    }
    const QByteArray head = file.read(16);
    file.close();
    if (head.isEmpty()) {
        *error = QStringLiteral("The image file is empty");
        return nullptr;
    }
    if (looksLikeTiff(head))
        return openTiffPages(path, error);
    if (looksLikeDcx(head) || looksLikePcx(head))
        return openPcxPages(path, error);
    if (path.endsWith(QStringLiteral(".AWD"), Qt::CaseInsensitive) || looksLikeCompoundDocument(head)) {
        *error = QStringLiteral("AWD documents cannot be loaded");
        return nullptr;
    }
    QImageReader reader(path);
    if (!reader.canRead()) {
        *error = QStringLiteral("Unknown or damaged image file");
        return nullptr;
    }
    return std::make_unique<QtImagePages>(path);
}

int checkImageLoadable(const QString& path, QString* error)
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
