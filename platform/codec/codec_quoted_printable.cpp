#include "codec.h"

namespace torvex {
namespace {

// Blanks are held back only to drop them at a line end; a run this long is
// text, so it is written out rather than held.
constexpr qsizetype kMaxHeldBlanks = 1024;

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

}  // namespace

void QuotedPrintableDecoder::decode(QByteArrayView input, QByteArray& output)
{
    output.reserve(output.size() + input.size());
    for (const char c : input)
        take(c, output);
}

void QuotedPrintableDecoder::take(char c, QByteArray& output)
{
    switch (state_) {
    case State::Text:
        if (c == '=') {
            escape_ = "=";
            state_ = State::Equals;
        } else if (isBlank(c)) {
            blanks_.append(c);
            if (blanks_.size() >= kMaxHeldBlanks)
                flushBlanks(output);
        } else if (c == '\r') {
            state_ = State::CarriageReturn;
        } else if (c == '\n') {
            blanks_.clear();
            output.append('\n');
        } else {
            flushBlanks(output);
            output.append(c);
        }
        return;
    case State::CarriageReturn:
        state_ = State::Text;
        if (c == '\n') {
            blanks_.clear();
            output.append("\r\n");
            return;
        }
        flushBlanks(output);
        output.append('\r');
        take(c, output);
        return;
    case State::Equals:
        if (hexValue(c) >= 0) {
            escape_.append(c);
            state_ = State::EqualsHex;
        } else if (isBlank(c)) {
            escape_.append(c);
            state_ = State::EqualsBlanks;
        } else if (c == '\r') {
            state_ = State::EqualsCarriageReturn;
        } else if (c == '\n') {
            flushBlanks(output);  // soft line break: the blanks before it are text
            state_ = State::Text;
        } else {
            keepInvalidEscape(output);
            take(c, output);
        }
        return;
    case State::EqualsHex:
        if (hexValue(c) >= 0) {
            flushBlanks(output);
            output.append(char(hexValue(escape_.at(1)) * 16 + hexValue(c)));
            state_ = State::Text;
        } else {
            keepInvalidEscape(output);
            take(c, output);
        }
        return;
    case State::EqualsBlanks:
        if (isBlank(c) && escape_.size() < kMaxHeldBlanks) {
            escape_.append(c);
        } else if (c == '\r') {
            state_ = State::EqualsCarriageReturn;
        } else if (c == '\n') {
            flushBlanks(output);
            state_ = State::Text;
        } else {
            keepInvalidEscape(output);
            take(c, output);
        }
        return;
    case State::EqualsCarriageReturn:
        if (c == '\n') {
            flushBlanks(output);
            state_ = State::Text;
        } else {
            keepInvalidEscape(output);
            state_ = State::CarriageReturn;
            take(c, output);
        }
        return;
    }
}

void QuotedPrintableDecoder::finish(QByteArray& output)
{
    switch (state_) {
    case State::Text:
    case State::Equals:  // a last "=" only says the text ends without a line end
    case State::EqualsBlanks:
        break;
    case State::CarriageReturn:
        output.append('\r');
        break;
    case State::EqualsHex:
        keepInvalidEscape(output);
        break;
    case State::EqualsCarriageReturn:
        break;
    }
    blanks_.clear();
    escape_.clear();
    state_ = State::Text;
}

void QuotedPrintableDecoder::flushBlanks(QByteArray& output)
{
    output.append(blanks_);
    blanks_.clear();
}

void QuotedPrintableDecoder::keepInvalidEscape(QByteArray& output)
{
    flushBlanks(output);
    // Blanks after a kept "=" are ordinary text again and may end the line.
    qsizetype kept = 1;
    while (kept < escape_.size() && !isBlank(escape_.at(kept)))
        ++kept;
    output.append(escape_.left(kept));
    blanks_ = escape_.mid(kept);
    escape_.clear();
    state_ = State::Text;
}

}  // namespace torvex
