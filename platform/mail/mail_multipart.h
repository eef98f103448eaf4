#pragma once

#include "mail_text.h"

#include <QByteArray>
#include <QByteArrayView>

#include <utility>

namespace torvex {

// Writes the frame of one multipart body (RFC 2046 section 5.1): its
// Content-Type and the delimiters between its parts. The CR LF in front of
// each delimiter belongs to the delimiter, not to the part before it.
class MultipartWriter {
public:
    explicit MultipartWriter(QByteArray boundary) : boundary_(std::move(boundary)) {}

    // The Content-Type value, "multipart/mixed; boundary=\"...\"".
    [[nodiscard]] QByteArray contentType(QByteArrayView type) const
    {
        return type.toByteArray() + "; boundary=\"" + boundary_ + '"';
    }
    // Opens the next part: CR LF "--" boundary CR LF.
    [[nodiscard]] QByteArray partStart() const { return kCrLf + ("--" + boundary_) + kCrLf; }
    // Ends the last part: CR LF "--" boundary "--".
    [[nodiscard]] QByteArray end() const { return kCrLf + ("--" + boundary_) + "--"; }

private:
    QByteArray boundary_;
};

}  // namespace torvex
