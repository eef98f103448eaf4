#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace torvex {

// The one reader of mail header fields, for the messages fetched by POP3
// and for the messages stored in the mailbox alike.

struct MailHeaderField {
    QByteArray name;
    QByteArray value;  // unfolded, trimmed, still encoded
};

// One header line read as a field: the name before the colon (trailing
// blanks dropped) and the value after it as written. None for a line that
// is no field: no colon, an empty name, a blank or a character other than
// printable ASCII inside the name ("From sender date" lines of mbox files,
// body text), or a line that starts with a blank.
struct HeaderFieldLine {
    QByteArrayView name;
    QByteArrayView value;
};
[[nodiscard]] std::optional<HeaderFieldLine> readFieldLine(QByteArrayView line);

// A line that continues the field before it (folded, RFC 5322 2.2.3).
[[nodiscard]] bool isFoldedLine(QByteArrayView line);

// The header of a message or of a MIME part.
class MailHeader {
public:
    // One header line without its line end: a field ("Name: value"), or a
    // line starting with a blank that continues the field before it
    // (folded, RFC 5322 2.2.3). Lines that are neither ("+OK" status lines,
    // mbox "From " lines) are passed over, as is what goes beyond a bound
    // no real header reaches.
    void addLine(QByteArrayView line);

    [[nodiscard]] const std::vector<MailHeaderField>& fields() const { return fields_; }
    // The first field of that name (without regard to case); empty when none.
    [[nodiscard]] QByteArray field(QByteArrayView name) const;
    [[nodiscard]] QList<QByteArray> allFields(QByteArrayView name) const;

    // Content-Type's "type/subtype" in lower case; "text/plain" when the
    // part names none (RFC 2045 5.2).
    [[nodiscard]] QByteArray mimeType() const;
    // A parameter of a structured field such as Content-Type, decoded.
    [[nodiscard]] QString parameter(QByteArrayView fieldName, QByteArrayView name) const;
    // "attachment", "inline" or empty.
    [[nodiscard]] QByteArray disposition() const;
    // Content-Transfer-Encoding in lower case, empty when none.
    [[nodiscard]] QByteArray transferEncoding() const;
    // The file name the sender gave the part: Content-Disposition's
    // "filename", else Content-Type's "name"; decoded, empty when none.
    [[nodiscard]] QString fileName() const;

private:
    std::vector<MailHeaderField> fields_;
    qsizetype size_ = 0;
};

// One parameter of a structured field value ("attachment; filename=..."):
// quotes and escapes removed, RFC 2231 continuations ("name*0*=") and
// charsets ("utf-8''%E2%82%AC") and RFC 2047 encoded words decoded. Empty
// when the value has no such parameter.
[[nodiscard]] QString headerParameter(QByteArrayView value, QByteArrayView name);

// RFC 2047 encoded words decoded, charsets applied; other text kept.
[[nodiscard]] QString decodeHeaderText(QByteArrayView raw);
// RFC 2047 "B" encoding for text that is not plain printable ASCII.
[[nodiscard]] QByteArray encodeHeaderText(const QString& text);

// The addresses of an address-list field, each as written ("Name <a@b>").
[[nodiscard]] QStringList splitAddressList(const QString& list);
// The address of one mailbox: what lies in its angle brackets, else the
// text without comments.
[[nodiscard]] QString addressOf(const QString& mailbox);

// RFC 5322 date-time; an invalid QDateTime when it does not parse.
[[nodiscard]] QDateTime parseMailDate(const QString& text);
[[nodiscard]] QByteArray formatMailDate(const QDateTime& time);

}  // namespace torvex
