#include "mime_parser.h"

#include "platform/codec/codec.h"

namespace torvex {
namespace {

// Deeper nesting and more parts than any mail program writes; beyond them
// a body stays whole, so a hostile message cannot exhaust memory.
constexpr int kMaxDepth = 20;
constexpr int kMaxParts = 1000;
constexpr qint64 kReadSize = 64 * 1024;
// A longer line comes in pieces; only its first piece is looked at.
constexpr qsizetype kMaxLine = 64 * 1024;
constexpr int kLinesPerProgress = 4096;

// The lines of the input with their offsets, read a block at a time.
class LineScanner {
public:
    struct Line {
        QByteArrayView text;  // without its line end; valid until the next call
        qint64 start = 0;
        qint64 next = 0;
        int lineEnd = 0;      // bytes of its line end: 0 (the input ended), 1 (LF) or 2 (CR LF)
        bool first = true;    // the line starts here (not a later piece of a long line)
        bool ended = true;    // the line ends here
        [[nodiscard]] bool whole() const { return first && ended; }
    };

    LineScanner(QIODevice& input, qint64 end) : input_(input), end_(end) {}

    bool next(Line& line)
    {
        for (;;) {
            const qsizetype lf = buffer_.indexOf('\n', pos_);
            if (lf >= 0 && lf - pos_ <= kMaxLine) {
                qsizetype length = lf - pos_;
                line.lineEnd = 1;
                if (length > 0 && buffer_.at(lf - 1) == '\r') {
                    --length;
                    line.lineEnd = 2;
                }
                return take(line, length, lf + 1, true);
            }
            if (buffer_.size() - pos_ > kMaxLine) {
                // Keep a CR back so that a CR LF split here is still one line end.
                qsizetype length = kMaxLine;
                if (buffer_.at(pos_ + length - 1) == '\r')
                    --length;
                line.lineEnd = 0;
                return take(line, length, pos_ + length, false);
            }
            if (!fill()) {
                if (pos_ >= buffer_.size())
                    return false;
                qsizetype length = buffer_.size() - pos_;
                line.lineEnd = 0;
                if (buffer_.back() == '\r') {
                    --length;
                    line.lineEnd = 1;
                }
                return take(line, length, buffer_.size(), true);
            }
        }
    }

private:
    bool take(Line& line, qsizetype length, qsizetype next, bool ended)
    {
        line.text = QByteArrayView(buffer_).sliced(pos_, length);
        line.start = bufferStart_ + pos_;
        line.next = bufferStart_ + next;
        line.first = !insideLine_;
        line.ended = ended;
        insideLine_ = !ended;
        pos_ = next;
        return true;
    }

    bool fill()
    {
        buffer_.remove(0, pos_);
        bufferStart_ += pos_;
        pos_ = 0;
        const qint64 wanted = qMin(kReadSize, end_ - bufferStart_ - buffer_.size());
        if (wanted <= 0)
            return false;
        const qsizetype before = buffer_.size();
        buffer_.resize(before + wanted);
        const qint64 got = input_.read(buffer_.data() + before, wanted);
        buffer_.resize(before + qMax<qint64>(got, 0));
        return got > 0;
    }

    QIODevice& input_;
    qint64 end_;
    QByteArray buffer_;
    qint64 bufferStart_ = 0;
    qsizetype pos_ = 0;
    bool insideLine_ = false;
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isFieldLine(QByteArrayView line)
{
    return isFoldedLine(line) || readFieldLine(line).has_value();
}

class Parser {
public:
    Parser(MimeStructure& structure, qint64 start) : s_(structure)
    {
        s_.parts.push_back(newPart(-1, start));
    }

    void take(const LineScanner::Line& line)
    {
        if (line.whole() && !open_.empty() && line.text.startsWith("--") && takeDelimiter(line)) {
            previousLineEnd_ = line.lineEnd;
            return;
        }
        if (inHeader_) {
            MimePart& part = s_.parts[size_t(current_)];
            if (line.whole() && line.text.isEmpty()) {
                endHeader(current_, line.next);
            } else if (line.first) {
                // A part of a multipart that starts with its body, without
                // the empty line: the body starts here (what mail readers do).
                if (inMultipart(part) && !isFieldLine(line.text))
                    endHeader(current_, line.start);
                else
                    part.header.addLine(line.text);
            }
        }
        previousLineEnd_ = line.ended ? line.lineEnd : 0;
    }

    void finish(qint64 end)
    {
        for (MimePart& part : s_.parts) {
            if (part.bodyStart < 0)
                part.bodyStart = end;  // the header never ended
            if (part.bodyEnd < 0)
                part.bodyEnd = qMax(end, part.bodyStart);
        }
    }

private:
    struct OpenMultipart {
        int part;
        QByteArray delimiter;  // "--" + boundary
    };

    static MimePart newPart(int parent, qint64 headerStart)
    {
        MimePart part;
        part.parent = parent;
        part.headerStart = headerStart;
        part.bodyStart = -1;
        return part;
    }

    [[nodiscard]] bool inMultipart(const MimePart& part) const
    {
        return part.parent >= 0 && s_.parts[size_t(part.parent)].header.mimeType().startsWith("multipart/");
    }

    int addChild(int parent, qint64 headerStart)
    {
        MimePart child = newPart(parent, headerStart);
        child.depth = s_.parts[size_t(parent)].depth + 1;
        s_.parts.push_back(std::move(child));
        const int index = int(s_.parts.size()) - 1;
        s_.parts[size_t(parent)].children.push_back(index);
        return index;
    }

    void endHeader(int index, qint64 bodyStart)
    {
        inHeader_ = false;
        MimePart& part = s_.parts[size_t(index)];
        part.bodyStart = bodyStart;
        const QByteArray type = part.header.mimeType();
        const bool deepEnough = part.depth >= kMaxDepth;
        if (type.startsWith("multipart/")) {
            const QByteArray boundary = part.header.parameter("Content-Type", "boundary").toUtf8();
            if (boundary.isEmpty())
                return;
            if (deepEnough) {
                s_.truncated = true;
                return;
            }
            open_.push_back({index, "--" + boundary});
            return;
        }
        const QByteArray encoding = part.header.transferEncoding();
        const bool plainEncoding = encoding.isEmpty() || encoding == "7bit" || encoding == "8bit" || encoding == "binary";
        if (type == "message/rfc822" && plainEncoding) {
            if (deepEnough || s_.parts.size() >= size_t(kMaxParts)) {
                s_.truncated = true;
                return;
            }
            // The forwarded message is read like the message itself.
            current_ = addChild(index, bodyStart);
            inHeader_ = true;
        }
    }

    // Ends the entity and what is still open inside it at that offset.
    void endEntity(int index, qint64 at)
    {
        MimePart& part = s_.parts[size_t(index)];
        if (part.bodyEnd >= 0)
            return;
        if (part.bodyStart < 0)
            part.bodyStart = at;
        part.bodyEnd = qMax(at, part.bodyStart);
        const std::vector<int> children = part.children;
        for (int child : children)
            endEntity(child, at);
    }

    bool takeDelimiter(const LineScanner::Line& line)
    {
        QByteArrayView text = line.text;
        while (!text.isEmpty() && isBlank(text.back()))
            text.chop(1);
        for (qsizetype k = qsizetype(open_.size()) - 1; k >= 0; --k) {
            const QByteArray& delimiter = open_[size_t(k)].delimiter;
            const bool closing = text.size() == delimiter.size() + 2 && text.startsWith(delimiter) && text.endsWith("--");
            if (!closing && text != delimiter)
                continue;
            // The line end before the delimiter line is the delimiter's.
            const qint64 endAt = line.start - previousLineEnd_;
            while (qsizetype(open_.size()) > k + 1) {
                endEntity(open_.back().part, endAt);
                open_.pop_back();
            }
            const int multipart = open_[size_t(k)].part;
            if (!s_.parts[size_t(multipart)].children.empty())
                endEntity(s_.parts[size_t(multipart)].children.back(), endAt);
            current_ = multipart;
            inHeader_ = false;
            if (closing) {
                open_.pop_back();  // what follows is its epilogue
            } else if (s_.parts.size() >= size_t(kMaxParts)) {
                s_.truncated = true;
                open_.clear();  // the rest stays unsplit
            } else {
                current_ = addChild(multipart, line.next);
                inHeader_ = true;
            }
            return true;
        }
        return false;
    }

    MimeStructure& s_;
    std::vector<OpenMultipart> open_;
    int current_ = 0;
    bool inHeader_ = true;
    int previousLineEnd_ = 0;
};

}  // namespace

MimeStructure parseMimeStructure(QIODevice& input, qint64 end, const std::function<void()>& progress)
{
    const qint64 size = input.size();
    if (end < 0 || end > size)
        end = size;
    MimeStructure structure;
    input.seek(0);
    Parser parser(structure, 0);
    LineScanner scanner(input, end);
    LineScanner::Line line;
    int lines = 0;
    while (scanner.next(line)) {
        parser.take(line);
        if (progress && ++lines % kLinesPerProgress == 0)
            progress();
    }
    parser.finish(end);
    return structure;
}

bool readInputRange(QIODevice& input, qint64 from, qint64 to, const std::function<bool(QByteArrayView)>& sink)
{
    if (from >= to)
        return true;
    if (!input.seek(from))
        return false;
    QByteArray chunk(kReadSize, Qt::Uninitialized);
    qint64 left = to - from;
    while (left > 0) {
        const qint64 got = input.read(chunk.data(), qMin(left, kReadSize));
        if (got <= 0)
            return false;
        left -= got;
        if (!sink(QByteArrayView(chunk.constData(), got)))
            return false;
    }
    return true;
}

bool readPartBody(QIODevice& input, const MimePart& part, const std::function<bool(QByteArrayView)>& sink)
{
    TransferDecoder decoder(part.header.transferEncoding());
    QByteArray decoded;
    const bool read = readInputRange(input, part.bodyStart, part.bodyEnd, [&](QByteArrayView raw) {
        decoded.clear();
        decoder.decode(raw, decoded);
        return decoded.isEmpty() || sink(decoded);
    });
    if (!read)
        return false;
    decoded.clear();
    decoder.finish(decoded);
    return decoded.isEmpty() || sink(decoded);
}

QByteArray partBodyBytes(QIODevice& input, const MimePart& part, qsizetype maxBytes)
{
    QByteArray bytes;
    (void)readPartBody(input, part, [&](QByteArrayView piece) {
        bytes.append(piece.first(qMin(piece.size(), maxBytes - bytes.size())));
        return bytes.size() < maxBytes;
    });
    return bytes;
}

}  // namespace torvex
