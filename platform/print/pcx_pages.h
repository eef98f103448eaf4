#pragma once

#include "image_pages.h"

#include <QByteArray>

namespace torvex {

// PCX images and DCX files (a list of PCX pages, as fax software stores
// multi-page faxes): 1-bit, 16-colour (4 planes), 256-colour and 24-bit.
[[nodiscard]] bool looksLikeDcx(const QByteArray& head);
[[nodiscard]] bool looksLikePcx(const QByteArray& head);
[[nodiscard]] std::unique_ptr<ImagePages> openPcxPages(const QString& path, QString* error);

// One PCX image decoded from its bytes (exposed for the sample maker's
// round trip and the tests).
[[nodiscard]] QImage decodePcx(const QByteArray& data, ImageError* error);
// A 1-bit PCX of the image (black where the image is dark), run-length
// encoded, with the image's resolution.
[[nodiscard]] QByteArray encodeMonoPcx(const QImage& image);
// A DCX holding the pages.
[[nodiscard]] QByteArray encodeDcx(const QList<QByteArray>& pcxPages);

inline constexpr quint32 kDcxMagic = 987654321;

}  // namespace torvex
