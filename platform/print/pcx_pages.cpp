#include "pcx_pages.h"

#include <QFile>
#include <QtEndian>

#include <cstring>

namespace torvex {
namespace {

constexpr int kHeaderSize = 128;
constexpr int kMaxDcxPages = 1023;
constexpr double kMetersPerInch = 0.0254;

quint16 le16(const QByteArray& data, int at)
{
    return qFromLittleEndian<quint16>(reinterpret_cast<const uchar*>(data.constData()) + at);
}

quint32 le32(const QByteArray& data, qsizetype at)
{
    return qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(data.constData()) + at);
}

void putLe16(QByteArray& data, int at, quint16 value)
{
    qToLittleEndian(value, reinterpret_cast<uchar*>(data.data()) + at);
}

QImage failed(ImageError* error, const QString& text)
{
    error->text = text;
    return {};
}

class PcxPages final : public ImagePages {
public:
    PcxPages(QByteArray data, QList<QPair<qsizetype, qsizetype>> pages)
        : data_(std::move(data)), pages_(std::move(pages))
    {
    }

    [[nodiscard]] int pageCount() const override { return int(pages_.size()); }

    [[nodiscard]] QImage page(int index, ImageError* error) override
    {
        if (index < 0 || index >= pageCount())
            return failed(error, QStringLiteral("No such page"));
        const auto [start, end] = pages_.at(index);
        return decodePcx(data_.mid(start, end - start), error);
    }

private:
    QByteArray data_;
    QList<QPair<qsizetype, qsizetype>> pages_;
};

}  // namespace

bool looksLikeDcx(const QByteArray& head)
{
    return head.size() >= 4 && le32(head, 0) == kDcxMagic;
}

bool looksLikePcx(const QByteArray& head)
{
    return head.size() >= 4 && uchar(head.at(0)) == 0x0A && uchar(head.at(2)) == 1;
}

QImage decodePcx(const QByteArray& data, ImageError* error)
{
    if (data.size() < kHeaderSize || !looksLikePcx(data))
        return failed(error, QStringLiteral("Not a PCX image"));
    const int bits = uchar(data.at(3));
    const int planes = uchar(data.at(65));
    const int bytesPerLine = le16(data, 66);
    const int width = int(le16(data, 8)) - int(le16(data, 4)) + 1;
    const int height = int(le16(data, 10)) - int(le16(data, 6)) + 1;
    const int dpiX = le16(data, 12);
    const int dpiY = le16(data, 14);
    const bool mono = bits == 1 && planes == 1;
    const bool ega = bits == 1 && planes == 4;
    const bool indexed = bits == 8 && planes == 1;
    const bool rgb = bits == 8 && planes == 3;
    if (!(mono || ega || indexed || rgb))
        return failed(error, QStringLiteral("Unsupported PCX format"));
    if (width <= 0 || height <= 0 || bytesPerLine * 8 < width * bits)
        return failed(error, QStringLiteral("PCX image has an unusable size"));
    if (refusePage(width, height, mono ? 1 : ega || indexed ? 8 : 32, error))
        return {};

    QImage image(width, height, mono ? QImage::Format_Mono : ega || indexed ? QImage::Format_Indexed8
                                                                            : QImage::Format_RGB32);
    if (image.isNull())
        return failed(error, QStringLiteral("PCX image too large"));
    const int lineBytes = bytesPerLine * planes;
    QByteArray line(lineBytes, '\0');
    qsizetype pos = kHeaderSize;
    for (int y = 0; y < height; ++y) {
        int filled = 0;
        while (filled < lineBytes) {
            if (pos >= data.size())
                return failed(error, QStringLiteral("PCX image is truncated"));
            uchar byte = uchar(data.at(pos++));
            int count = 1;
            if ((byte & 0xC0) == 0xC0) {
                count = byte & 0x3F;
                if (pos >= data.size())
                    return failed(error, QStringLiteral("PCX image is truncated"));
                byte = uchar(data.at(pos++));
            }
            // A run may spill into the next line; the format allows it.
            for (int i = 0; i < count && filled < lineBytes; ++i)
                line[filled++] = char(byte);
        }
        uchar* out = image.scanLine(y);
        if (mono) {
            std::memcpy(out, line.constData(), size_t((width + 7) / 8));
        } else if (ega) {
            for (int x = 0; x < width; ++x) {
                int value = 0;
                for (int p = 0; p < 4; ++p) {
                    if (uchar(line.at(p * bytesPerLine + x / 8)) & (0x80 >> (x % 8)))
                        value |= 1 << p;
                }
                out[x] = uchar(value);
            }
        } else if (indexed) {
            std::memcpy(out, line.constData(), size_t(width));
        } else {
            auto* pixels = reinterpret_cast<QRgb*>(out);
            for (int x = 0; x < width; ++x)
                pixels[x] = qRgb(uchar(line.at(x)), uchar(line.at(bytesPerLine + x)),
                                 uchar(line.at(2 * bytesPerLine + x)));
        }
    }

    if (mono) {
        image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    } else if (ega) {
        QList<QRgb> colors;
        for (int i = 0; i < 16; ++i)
            colors << qRgb(uchar(data.at(16 + 3 * i)), uchar(data.at(17 + 3 * i)), uchar(data.at(18 + 3 * i)));
        image.setColorTable(colors);
    } else if (indexed) {
        // The palette follows the pixels: a 12 byte, then 256 RGB triples.
        const qsizetype at = data.size() - 769;
        if (at < pos || uchar(data.at(at)) != 12)
            return failed(error, QStringLiteral("PCX palette is missing"));
        QList<QRgb> colors;
        for (int i = 0; i < 256; ++i)
            colors << qRgb(uchar(data.at(at + 1 + 3 * i)), uchar(data.at(at + 2 + 3 * i)),
                           uchar(data.at(at + 3 + 3 * i)));
        image.setColorTable(colors);
    }
    image.setDotsPerMeterX(qRound((dpiX > 0 ? dpiX : 200) / kMetersPerInch));
    image.setDotsPerMeterY(qRound((dpiY > 0 ? dpiY : 200) / kMetersPerInch));
    return image;
}

std::unique_ptr<ImagePages> openPcxPages(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return nullptr;
    }
    QByteArray data = file.readAll();
    QList<QPair<qsizetype, qsizetype>> pages;
    if (looksLikeDcx(data)) {
        QList<qsizetype> offsets;
        for (int i = 0; i < kMaxDcxPages; ++i) {
            const qsizetype at = 4 + qsizetype(i) * 4;
            if (at + 4 > data.size()) {
                *error = QStringLiteral("DCX page list is truncated");
                return nullptr;
            }
            const quint32 offset = le32(data, at);
            if (offset == 0)
                break;
            if (offset >= quint32(data.size())) {
                *error = QStringLiteral("DCX page lies outside the file");
                return nullptr;
            }
            offsets << qsizetype(offset);
        }
        for (qsizetype i = 0; i < offsets.size(); ++i) {
            const qsizetype end = i + 1 < offsets.size() && offsets[i + 1] > offsets[i] ? offsets[i + 1] : data.size();
            pages.append({offsets[i], end});
        }
        if (pages.isEmpty()) {
            *error = QStringLiteral("DCX file without pages");
            return nullptr;
        }
    } else if (looksLikePcx(data)) {
        pages.append({0, data.size()});
    } else {
        *error = QStringLiteral("Not a PCX or DCX file");
        return nullptr;
    }
    return std::make_unique<PcxPages>(std::move(data), std::move(pages));
}

QByteArray encodeMonoPcx(const QImage& source)
{
    const QImage image = source.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    const int width = image.width();
    const int height = image.height();
    int bytesPerLine = (width + 7) / 8;
    bytesPerLine += bytesPerLine % 2;  // PCX lines hold an even number of bytes
    QByteArray out(kHeaderSize, '\0');
    out[0] = char(0x0A);
    out[1] = 5;
    out[2] = 1;
    out[3] = 1;
    putLe16(out, 8, quint16(width - 1));
    putLe16(out, 10, quint16(height - 1));
    putLe16(out, 12, quint16(qRound(image.dotsPerMeterX() * kMetersPerInch)));
    putLe16(out, 14, quint16(qRound(image.dotsPerMeterY() * kMetersPerInch)));
    out[16 + 3] = char(255);  // palette entry 1 white
    out[16 + 4] = char(255);
    out[16 + 5] = char(255);
    out[65] = 1;
    putLe16(out, 66, quint16(bytesPerLine));
    putLe16(out, 68, 1);
    // In PCX a set bit is white; map through the image's own colours.
    const bool zeroIsDark = qGray(image.color(0)) < 128;
    for (int y = 0; y < height; ++y) {
        QByteArray line(bytesPerLine, char(0xFF));
        const uchar* in = image.constScanLine(y);
        for (int i = 0; i < (width + 7) / 8; ++i)
            line[i] = char(zeroIsDark ? in[i] : ~in[i]);
        if (width % 8)
            line[(width - 1) / 8] = char(uchar(line[(width - 1) / 8]) | (0xFF >> (width % 8)));
        for (int i = 0; i < bytesPerLine;) {
            const char value = line[i];
            int run = 1;
            while (i + run < bytesPerLine && run < 63 && line[i + run] == value)
                ++run;
            if (run > 1 || (uchar(value) & 0xC0) == 0xC0)
                out += char(0xC0 | run);
            out += value;
            i += run;
        }
    }
    return out;
}

QByteArray encodeDcx(const QList<QByteArray>& pcxPages)
{
    const int tableSize = 4 + (kMaxDcxPages + 1) * 4;
    QByteArray out(tableSize, '\0');
    qToLittleEndian(kDcxMagic, reinterpret_cast<uchar*>(out.data()));
    for (qsizetype i = 0; i < pcxPages.size() && i < kMaxDcxPages; ++i) {
        qToLittleEndian(quint32(out.size()), reinterpret_cast<uchar*>(out.data()) + 4 + i * 4);
        out += pcxPages[i];
    }
    return out;
}

}  // namespace torvex
