#include "codec.h"

namespace torvex {
namespace {

// A uuencoded line holds at most 63 bytes in 85 characters; what a longer
// line carries beyond that is never decoded, so it is not kept.
constexpr qsizetype kMaxLine = 128;

int sixBits(char c)
{
    return (static_cast<unsigned char>(c) - 0x20) & 0x3f;
}

bool isBeginLine(const QByteArray& line)
{
    // "begin" blank octal mode blank name
    if (!line.startsWith("begin "))
        return false;
    qsizetype at = 6;
    const qsizetype digitsFrom = at;
    while (at < line.size() && line.at(at) >= '0' && line.at(at) <= '7')
        ++at;
    return at - digitsFrom >= 3 && at < line.size() && line.at(at) == ' ';
}

}  // namespace

void UudecodeDecoder::decode(QByteArrayView input, QByteArray& output)
{
    for (const char c : input) {
        if (state_ == State::Ended)
            return;
        if (c == '\n') {
            takeLine(output);
            continue;
        }
        if (line_.size() < kMaxLine)
            line_.append(c);
    }
}

void UudecodeDecoder::finish(QByteArray& output)
{
    if (!line_.isEmpty())
        takeLine(output);
}

void UudecodeDecoder::takeLine(QByteArray& output)
{
    if (line_.endsWith('\r'))
        line_.chop(1);
    if (state_ == State::BeforeBegin) {
        if (isBeginLine(line_))
            state_ = State::Data;
    } else if (state_ == State::Data) {
        if (line_ == "end") {
            state_ = State::Ended;
        } else if (!line_.isEmpty()) {
            const int length = sixBits(line_.at(0));
            int written = 0;
            for (qsizetype at = 1; written < length && at < line_.size(); at += 4) {
                char group[4] = {'`', '`', '`', '`'};
                for (int i = 0; i < 4 && at + i < line_.size(); ++i)
                    group[i] = line_.at(at + i);
                const char bytes[3] = {
                    char(sixBits(group[0]) << 2 | sixBits(group[1]) >> 4),
                    char(sixBits(group[1]) << 4 | sixBits(group[2]) >> 2),
                    char(sixBits(group[2]) << 6 | sixBits(group[3])),
                };
                for (int i = 0; i < 3 && written < length; ++i, ++written)
                    output.append(bytes[i]);
            }
        }
    }
    line_.clear();
}

}  // namespace torvex
