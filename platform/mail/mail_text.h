#pragma once

#include <QByteArrayView>
#include <QString>

namespace torvex {

// The line end of mail on the wire and in stored messages (RFC 5322 2.1).
inline constexpr char kCrLf[] = "\r\n";

// Mail bytes as the characters people read.

// The bytes in the named charset; where it is missing, unknown or does
// not fit the bytes, UTF-8 when they are valid UTF-8 and Latin-1 otherwise,
// so no byte is ever lost. An RFC 2231 language suffix ("utf-8*en") is
// allowed.
[[nodiscard]] QString decodeCharset(QByteArrayView bytes, QByteArrayView charset);

// Raw mail text without a declared charset: UTF-8 where the bytes are
// valid UTF-8, otherwise Latin-1.
[[nodiscard]] QString mailText(QByteArrayView bytes);

// Lone LF (and lone CR) line ends made CR LF.
[[nodiscard]] QString withCrLf(const QString& text);

// The text of an HTML part as plain lines: tags dropped (script and style
// with their content), line breaks where blocks end, character references
// decoded.
[[nodiscard]] QString htmlToText(const QString& html);

// Tells text from binary data (images, documents, archives) as it is
// read piece by piece: binary data holds NUL bytes or more control
// characters than any text does.
class BinaryDetector {
public:
    void feed(QByteArrayView bytes);
    [[nodiscard]] bool isBinary() const;

private:
    qint64 total_ = 0;
    qint64 controls_ = 0;
    bool nul_ = false;
};

[[nodiscard]] bool isBinaryData(QByteArrayView bytes);
// A file that cannot be read counts as binary: it is no text to print.
[[nodiscard]] bool isBinaryFile(const QString& path);

}  // namespace torvex
