#include "mime_decoder_lines.h"

namespace torvex {
namespace {

constexpr qint64 kReadSize = 64 * 1024;

}  // namespace

LineReader::LineReader(QIODevice& input, qsizetype maxPiece) : input_(input), maxPiece_(qMax<qsizetype>(maxPiece, 2)) {}

bool LineReader::fill()
{
    if (pos_ > 0) {
        buffer_.remove(0, pos_);
        pos_ = 0;
    }
    const qsizetype before = buffer_.size();
    buffer_.resize(before + kReadSize);
    const qint64 got = input_.read(buffer_.data() + before, kReadSize);
    buffer_.resize(before + qMax<qint64>(got, 0));
    return got > 0;
}

bool LineReader::atEnd()
{
    return pos_ >= buffer_.size() && !fill();
}

bool LineReader::next(Piece& piece)
{
    for (;;) {
        const qsizetype lineEnd = buffer_.indexOf('\n', pos_);
        const qsizetype available = (lineEnd >= 0 ? lineEnd : buffer_.size()) - pos_;
        piece.continued = continued_;
        if (lineEnd >= 0 && available <= maxPiece_) {
            piece.text = buffer_.mid(pos_, available);
            if (piece.text.endsWith('\r'))
                piece.text.chop(1);
            piece.lineEnded = true;
            pos_ = lineEnd + 1;
            continued_ = false;
            return true;
        }
        if (available >= maxPiece_) {
            // Keep a CR back so that a CR LF split here is still one line end.
            qsizetype take = maxPiece_;
            if (buffer_.at(pos_ + take - 1) == '\r')
                --take;
            piece.text = buffer_.mid(pos_, take);
            piece.lineEnded = false;
            pos_ += take;
            continued_ = true;
            return true;
        }
        if (!fill()) {
            if (pos_ >= buffer_.size())
                return false;
            // The last line has no line end.
            piece.text = buffer_.mid(pos_);
            if (piece.text.endsWith('\r'))
                piece.text.chop(1);
            piece.lineEnded = true;
            pos_ = buffer_.size();
            continued_ = false;
            return true;
        }
    }
}

}  // namespace torvex
