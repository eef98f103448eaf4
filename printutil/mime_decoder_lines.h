#pragma once

#include <QByteArray>
#include <QIODevice>

namespace torvex {

// Reads a raw message line by line in bounded memory. A line longer than
// the piece size comes in several pieces, so a file that is one line of
// 100 MB never sits in memory whole. Lines end at LF; a CR before it is
// dropped.
class LineReader {
public:
    struct Piece {
        QByteArray text;
        bool lineEnded = false;  // the last piece of its line
        bool continued = false;  // not the first piece of its line
        [[nodiscard]] bool wholeLine() const { return lineEnded && !continued; }
    };

    explicit LineReader(QIODevice& input, qsizetype maxPiece = 64 * 1024);

    // The next piece; false at the end of the input.
    bool next(Piece& piece);
    // True when nothing follows what was read so far.
    [[nodiscard]] bool atEnd();

private:
    bool fill();

    QIODevice& input_;
    qsizetype maxPiece_;
    QByteArray buffer_;
    qsizetype pos_ = 0;
    bool continued_ = false;
};

}  // namespace torvex
