#include "codec.h"

#include <QFile>

namespace torvex {
namespace {

constexpr qint64 kChunk = 64 * 1024;

// Runs one streaming decoder over the source into a fresh target file.
template <typename Decoder>
bool decodeFile(Decoder& decoder, const QString& source, const QString& target)
{
    QFile in(source);
    QFile out(target);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray chunk(kChunk, Qt::Uninitialized);
    QByteArray decoded;
    for (;;) {
        const qint64 got = in.read(chunk.data(), kChunk);
        if (got < 0)
            return false;
        decoded.clear();
        if (got == 0)
            decoder.finish(decoded);
        else
            decoder.decode(QByteArrayView(chunk.constData(), got), decoded);
        if (out.write(decoded) != decoded.size())
            return false;
        if (got == 0)
            return true;
    }
}

}  // namespace

TransferDecoder::TransferDecoder(QByteArrayView encoding)
{
    const QByteArray name = encoding.trimmed().toByteArray().toLower();
    if (name == "base64")
        decoder_ = Base64Decoder();
    else if (name == "quoted-printable")
        decoder_ = QuotedPrintableDecoder();
    else if (name == "x-uuencode" || name == "uuencode" || name == "x-uue" || name == "uucode")
        decoder_ = UudecodeDecoder();
}

void TransferDecoder::decode(QByteArrayView input, QByteArray& output)
{
    std::visit(
        [&](auto& decoder) {
            if constexpr (std::is_same_v<std::decay_t<decltype(decoder)>, std::monostate>)
                output.append(input);
            else
                decoder.decode(input, output);
        },
        decoder_);
}

void TransferDecoder::finish(QByteArray& output)
{
    std::visit(
        [&](auto& decoder) {
            if constexpr (!std::is_same_v<std::decay_t<decltype(decoder)>, std::monostate>)
                decoder.finish(output);
        },
        decoder_);
}

bool DecodeFileA(const QString& source, const QString& target)
{
    UudecodeDecoder uu;
    const bool written = decodeFile(uu, source, target);
    if (uu.sawBegin())
        return written;
    QuotedPrintableDecoder qp;
    return decodeFile(qp, source, target);
}

bool DecodeBase64FileA(const QString& source, const QString& target)
{
    Base64Decoder base64;
    return decodeFile(base64, source, target);
}

}  // namespace torvex
