#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <variant>

namespace torvex {

// Streaming decoders for the content transfer encodings of mail parts.
// Each takes its input in pieces of any size and appends what those pieces
// decode to; it holds at most a few bytes between calls, so memory stays
// bounded whatever the input size or line length.

// Base64 (RFC 2045 6.8): characters outside the alphabet are ignored; "="
// ends a group, and decoding goes on after it (some senders join
// separately padded blocks).
class Base64Decoder {
public:
    void decode(QByteArrayView input, QByteArray& output);
    void finish(QByteArray& output);

private:
    void flushGroup(QByteArray& output);

    quint32 bits_ = 0;
    int count_ = 0;
};

// Quoted-printable (RFC 2045 6.7): "=XX" is the byte XX (either case), "="
// at a line end is a soft line break, blanks at a line end are dropped, and
// an "=" that starts neither is kept as it stands. Hard line ends are
// written as they came (CR LF or LF).
class QuotedPrintableDecoder {
public:
    void decode(QByteArrayView input, QByteArray& output);
    void finish(QByteArray& output);

private:
    enum class State { Text, CarriageReturn, Equals, EqualsHex, EqualsBlanks, EqualsCarriageReturn };
    void take(char c, QByteArray& output);
    void flushBlanks(QByteArray& output);
    void keepInvalidEscape(QByteArray& output);

    State state_ = State::Text;
    QByteArray blanks_;       // blanks that may turn out to end the line
    QByteArray escape_;       // "=" and what followed it, until it is understood
};

// uuencode: decoding starts after a "begin <mode> <name>" line and stops at
// "end"; lines before the begin line are skipped.
class UudecodeDecoder {
public:
    void decode(QByteArrayView input, QByteArray& output);
    void finish(QByteArray& output);
    [[nodiscard]] bool sawBegin() const { return state_ != State::BeforeBegin; }

private:
    enum class State { BeforeBegin, Data, Ended };
    void takeLine(QByteArray& output);

    State state_ = State::BeforeBegin;
    QByteArray line_;  // the start of the current line; the rest is not needed
};

// The decoder a Content-Transfer-Encoding names: Base64, quoted-printable
// or uuencode (its several names); any other encoding ("7bit", "8bit",
// "binary", none) passes the bytes through as they are.
class TransferDecoder {
public:
    explicit TransferDecoder(QByteArrayView encoding);
    void decode(QByteArrayView input, QByteArray& output);
    void finish(QByteArray& output);

private:
    std::variant<std::monostate, Base64Decoder, QuotedPrintableDecoder, UudecodeDecoder> decoder_;
};

// The codec entry points the MIME decoder calls, each decoding a source
// file into a target file (replaced) in a small buffer. True when the
// target was written.
// Uuencoded input when the source holds a begin line, quoted-printable
// otherwise.
bool DecodeFileA(const QString& source, const QString& target);
bool DecodeBase64FileA(const QString& source, const QString& target);

// Base64 for a mail body: lines of 76 characters, each ended by CR LF
// (RFC 2045 6.8).
[[nodiscard]] QByteArray EncodeBase64Lines(const QByteArray& data);

}  // namespace torvex
