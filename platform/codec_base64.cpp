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
    output.reserve(output.size() + input.size() * 3 / 4 + 3);
    for (const char c : input) {
        const qint8 value = kTable[static_cast<unsigned char>(c)];
        if (value == kSkip)
            continue;
        if (value == kPad) {
            flushGroup(output);
            continue;
        }
        bits_ = (bits_ << 6) | quint32(value);
        if (++count_ == 4) {
            output.append(char(bits_ >> 16));
            output.append(char(bits_ >> 8));
            output.append(char(bits_));
            bits_ = 0;
            count_ = 0;
        }
    }
}

void Base64Decoder::finish(QByteArray& output)
{
    flushGroup(output);
}

void Base64Decoder::flushGroup(QByteArray& output)
{
    // Two characters carry one byte, three carry two; a single one is noise.
    if (count_ == 2) {
        output.append(char(bits_ >> 4));
    } else if (count_ == 3) {
        output.append(char(bits_ >> 10));
        output.append(char(bits_ >> 2));
    }
    bits_ = 0;
    count_ = 0;
}

}  // namespace torvex
