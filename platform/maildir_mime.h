#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace torvex {

// A MIME entity of a stored message: its header fields (unfolded) and its
// body, still in its transfer encoding; multipart bodies are split into
// their parts.
struct MimeEntity {
    std::vector<std::pair<QByteArray, QByteArray>> fields;  // name, unfolded raw value
    QByteArray headerText;                                  // as stored, with its empty line
    QByteArray body;
    std::vector<MimeEntity> parts;

    // The first field of that name (case-insensitive), raw; empty when none.
    [[nodiscard]] QByteArray field(const QByteArray& name) const;
    [[nodiscard]] QList<QByteArray> allFields(const QByteArray& name) const;

    // "text/plain" style, lower case; "text/plain" when the entity names none.
    [[nodiscard]] QByteArray mimeType() const;
    // A parameter of Content-Type or Content-Disposition, with RFC 2231
    // continuations and charsets and RFC 2047 words decoded.
    [[nodiscard]] QString contentTypeParam(const QByteArray& name) const;
    [[nodiscard]] QString dispositionParam(const QByteArray& name) const;
    [[nodiscard]] QByteArray disposition() const;  // "attachment", "inline" or empty
    // The body without its transfer encoding (Base64, quoted-printable).
    [[nodiscard]] QByteArray decodedBody() const;
};

// Parses a whole message; nesting deeper than a fixed limit is kept as an
// undivided body rather than followed.
[[nodiscard]] MimeEntity parseMimeEntity(const QByteArray& data);

// RFC 2047 encoded words decoded, charsets applied; other text kept.
[[nodiscard]] QString decodeHeaderText(const QByteArray& raw);
// RFC 2047 "B" encoding for text that is not plain printable ASCII.
[[nodiscard]] QByteArray encodeHeaderText(const QString& text);

// The bytes as text of the named charset; UTF-8, else Latin-1, when the
// charset is missing or unknown.
[[nodiscard]] QString decodeCharset(const QByteArray& bytes, const QByteArray& charset);

[[nodiscard]] QByteArray decodeQuotedPrintable(const QByteArray& encoded);

// The addresses of an address-list field, each as written ("Name <a@b>").
[[nodiscard]] QStringList splitAddressList(const QString& list);
// The address of one mailbox: what lies in its angle brackets, else the
// text without comments.
[[nodiscard]] QString addressOf(const QString& mailbox);

// RFC 5322 date-time; an invalid QDateTime when it does not parse.
[[nodiscard]] QDateTime parseMailDate(const QString& text);
[[nodiscard]] QByteArray formatMailDate(const QDateTime& time);

}  // namespace torvex
