#include "codec.h"

#include <array>

namespace torvex {
namespace {

constexpr qint8 kSkip = -1;
constexpr qint8 kPad = -2;

constexpr std::array<qint8, 256> makeTable()
{
    std::array<qint8, 256> table{};
    for (auto& entry : table)
        entry = kSkip;
    constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int i = 0; i < 64; ++i)
        table[static_cast<unsigned char>(alphabet[i])] = qint8(i);
    table[static_cast<unsigned char>('=')] = kPad;
    return table;
}

constexpr std::array<qint8, 256> kTable = makeTable();

}  // namespace

void Base64Decoder::decode(QByteArrayView input, QByteArray& output)
{
    // Written straight into room made beforehand: this loop carries whole
    // fax attachments.
    const qsizetype start = output.size();
    output.resize(start + input.size() * 3 / 4 + 3);
    char* out = output.data() + start;
    quint32 bits = bits_;
    int count = count_;
    for (const char c : input) {
        const qint8 value = kTable[static_cast<unsigned char>(c)];
        if (value >= 0) {
            bits = (bits << 6) | quint32(value);
            if (++count == 4) {
                *out++ = char(bits >> 16);
                *out++ = char(bits >> 8);
                *out++ = char(bits);
                bits = 0;
                count = 0;
            }
        } else if (value == kPad) {
            // A group ends early: two characters carry one byte, three carry two.
            if (count == 2) {
                *out++ = char(bits >> 4);
            } else if (count == 3) {
                *out++ = char(bits >> 10);
                *out++ = char(bits >> 2);
            }
            bits = 0;
            count = 0;
        }
    }
    bits_ = bits;
    count_ = count;
    output.resize(out - output.data());
}

void Base64Decoder::finish(QByteArray& output)
{
    flushGroup(output);
}

void Base64Decoder::flushGroup(QByteArray& output)
{
    // A single character left over is noise.
    if (count_ == 2) {
        output.append(char(bits_ >> 4));
    } else if (count_ == 3) {
        output.append(char(bits_ >> 10));
        output.append(char(bits_ >> 2));
    }
    bits_ = 0;
    count_ = 0;
}

QByteArray EncodeBase64Lines(const QByteArray& data)
{
    const QByteArray encoded = data.toBase64();
    QByteArray lines;
    lines.reserve(encoded.size() + encoded.size() / 76 * 2 + 2);
    for (qsizetype at = 0; at < encoded.size(); at += 76)
        lines += encoded.mid(at, 76) + "\r\n";
    return lines;
}

}  // namespace torvex
