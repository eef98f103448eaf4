#include "mime_decoder.h"

#include "header_field.h"
#include "mime_decoder_names.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <utility>

namespace torvex {
namespace {

// A message is printed, so texts beyond these sizes are of no use to
// anyone; they are cut so that no input can exhaust memory.
constexpr qsizetype kMaxHeader = 1024 * 1024;
constexpr qsizetype kMaxBody = 2 * 1024 * 1024;
// A single-part message longer than this is taken as a text file.
constexpr qint64 kLongestPlainText = 30000;
constexpr int kPiecesPerYield = 256;

const QByteArray kCrLf("\r\n");
const QString kCrLfCrLf = QStringLiteral("\r\n\r\n");

bool isUuencoding(const QString& encoding)
{
    return encoding == QLatin1String("UUCODE") || encoding == QLatin1String("X-UUENCODE")
        || encoding == QLatin1String("UUENCODE") || encoding == QLatin1String("X-UUE");
}

// The boundary of a multipart header, from anywhere in the header text (so
// a "boundary=" on a folded line is found): a quoted string, or a token
// that ends at ";", a blank or the line end.
QByteArray boundaryIn(const QByteArray& header)
{
    const qsizetype at = header.toLower().indexOf("boundary=");
    if (at < 0)
        return {};
    const qsizetype lineEnd = header.indexOf(kCrLf, at);
    if (lineEnd < 0)
        return {};
    QByteArray value = header.mid(at + 9, lineEnd - at - 9).trimmed();
    if (value.startsWith('"')) {
        const qsizetype close = value.indexOf('"', 1);
        return close > 0 ? value.mid(1, close - 1) : value.mid(1);
    }
    qsizetype end = 0;
    while (end < value.size() && value.at(end) != ';' && value.at(end) != ' ' && value.at(end) != '\t')
        ++end;
    return value.left(end);
}

QDateTime mailDate(QString value)
{
    // Qt reads RFC 2822 dates but not a trailing comment such as "(CEST)".
    value.remove(QRegularExpression(QStringLiteral("\\s*\\([^)]*\\)\\s*$")));
    return QDateTime::fromString(value.trimmed(), Qt::RFC2822Date);
}

QString senderText(const QString& from)
{
    const qsizetype space = from.indexOf(QLatin1Char(' '));
    QString sender = space < 0 ? from : from.mid(space + 1);
    if (sender.startsWith(QLatin1Char('<')))
        sender = sender.mid(1, sender.size() - 2);
    return sender;
}

QString mainTypeOf(const QString& contentType)
{
    const qsizetype semicolon = contentType.indexOf(QLatin1Char(';'));
    const QString type = (semicolon < 0 ? contentType : contentType.left(semicolon)).trimmed().toLower();
    return type.isEmpty() ? QStringLiteral("text/plain") : type;
}

}  // namespace

MimeDecoder::MimeDecoder(QString tempFolder, QString torvexAddr)
    : temp_(std::move(tempFolder)), torvexAddr_(std::move(torvexAddr)), yield_([] {
          if (QCoreApplication::instance())
              QCoreApplication::processEvents();
      })
{
}

std::optional<NewInboxMessage> MimeDecoder::decodeFile(const QString& path)
{
    header_.clear();
    body_.clear();
    headerText_.clear();
    messageText_.clear();
    messageTextSet_ = false;
    boundary_.clear();
    state_ = State::Preamble;
    part_.clear();
    textDecoder_ = std::monostate();
    skipRestOfLine_ = false;
    finished_ = false;
    attachmentIndex_ = 0;
    message_ = NewInboxMessage();

    QFile input(path);
    if (!input.open(QIODevice::ReadOnly))
        return std::nullopt;
    message_.timeReceived = QDateTime::currentDateTime();
    LineReader reader(input);
    readHeader(reader);
    headerText_ = mailText(header_);

    const QString sender = senderText(GetHeaderField(headerText_, QStringLiteral("From: ")));
    message_.senderName = sender;
    QString subject = GetHeaderField(headerText_, QStringLiteral("Subject: "));
    if (subject.isEmpty())
        subject = QStringLiteral("TORVEX ");
    message_.subject = subject + QStringLiteral(" From: ") + sender;
    message_.timeSent = mailDate(GetHeaderField(headerText_, QStringLiteral("Date:")));

    chooseBody(input.size());
    LineReader::Piece piece;
    int pieces = 0;
    while (!finished_ && reader.next(piece)) {
        takePiece(piece, piece.lineEnded && reader.atEnd());
        if (++pieces % kPiecesPerYield == 0 && yield_)
            yield_();
    }
    finish();
    return std::move(message_);
}

void MimeDecoder::readHeader(LineReader& reader)
{
    LineReader::Piece piece;
    while (reader.next(piece)) {
        if (piece.wholeLine() && piece.text.isEmpty()) {
            header_ += kCrLf;
            return;
        }
        if (header_.size() + piece.text.size() + 2 > kMaxHeader)
            continue;
        header_ += piece.text;
        if (piece.lineEnded)
            header_ += kCrLf;
    }
}

void MimeDecoder::chooseBody(qint64 fileLength)
{
    const QString contentType = GetHeaderField(headerText_, QStringLiteral("Content-Type:"));
    const QString mainType = mainTypeOf(contentType);
    const QString encoding = GetHeaderField(headerText_, QStringLiteral("Content-Transfer-Encoding:"));

    if (mainType == QLatin1String("multipart/mixed") || mainType == QLatin1String("multipart/alternative")) {
        const QByteArray boundary = boundaryIn(header_);
        if (boundary.isEmpty()) {
            missingBoundary();
            return;
        }
        boundary_ = "--" + boundary;
        state_ = State::Preamble;
        return;
    }
    if (mainType == QLatin1String("application/octet-stream")) {
        const ContentType type = ParseContentType(contentType);
        part_.type = type.type;
        part_.contentTypeName = type.name;
        part_.encoding = encoding;
        if (trimBlanks(encoding).isEmpty()) {
            missingBoundary();
            return;
        }
        const QString disposition = GetHeaderField(headerText_, QStringLiteral("Content-Disposition:"));
        if (disposition.contains(QLatin1String("filename"), Qt::CaseInsensitive))
            part_.dispositionName = GetParam(disposition, QStringLiteral(";"), QStringLiteral("filename"), false);
        partStart();
        return;
    }
    if (fileLength > kLongestPlainText) {
        // The body's own encoding still applies to the file it becomes.
        part_.type = QStringLiteral("text/plain");
        part_.fileName = QStringLiteral("UNKNOWN.TXT");
        part_.encoding = encoding;
        partStart();
        return;
    }
    startTextDecoder(encoding);
    state_ = State::End;
}

void MimeDecoder::missingBoundary()
{
    headerText_ += QStringLiteral("X-VX-Error: MISSING BOUNDARY\r\n");
    body_ = "The incoming TORVEX may have been corrupted.";
    part_.clear();
    part_.type = QStringLiteral("text/plain");
    part_.fileName = QStringLiteral("UNKNOWN.TXT");
    boundary_.clear();
    // The whole body becomes the file, from its first line on.
    partStart();
}

bool MimeDecoder::isBoundaryLine(const LineReader::Piece& piece) const
{
    return !boundary_.isEmpty() && piece.wholeLine() && piece.text.contains(boundary_);
}

void MimeDecoder::takePiece(const LineReader::Piece& piece, bool lastLine)
{
    if (skipRestOfLine_) {
        skipRestOfLine_ = !piece.lineEnded;
        return;
    }
    // Lines the parser only looks at are dropped whole, however long.
    const auto dropRest = [&] { skipRestOfLine_ = !piece.lineEnded; };
    switch (state_) {
    case State::Preamble: {
        QByteArray line = piece.text;
        while (line.endsWith(' ') || line.endsWith('\t'))
            line.chop(1);
        if (!boundary_.isEmpty() && piece.wholeLine() && line == boundary_) {
            part_.clear();
            state_ = State::PartHeader;
        }
        dropRest();
        return;
    }
    case State::PartHeader:
        if (piece.wholeLine() && piece.text.isEmpty()) {
            partStart();
            return;
        }
        if (!piece.continued)
            partHeaderLine(piece.text);
        dropRest();
        return;
    case State::PartStart:
        partStart();
        dropRest();
        return;
    case State::TextPart:
        if (isBoundaryLine(piece))
            endTextPart(piece.text);
        else
            textLine(piece, lastLine);
        return;
    case State::FileStart:
        partFile_.setFileName(temp_ + QStringLiteral("temp.txt"));
        partFile_.remove();
        partFile_.open(QIODevice::WriteOnly | QIODevice::Truncate);
        state_ = State::FileBody;
        fileLine(piece, lastLine);
        return;
    case State::FileBody:
        fileLine(piece, lastLine);
        return;
    case State::End:
        textLine(piece, lastLine);
        return;
    }
}

void MimeDecoder::partHeaderLine(const QByteArray& line)
{
    const QString text = mailText(line);
    const QString value = text.mid(text.indexOf(QLatin1Char(':')) + 1);
    if (text.contains(QLatin1String("Content-Type:"), Qt::CaseInsensitive)) {
        const ContentType type = ParseContentType(value);
        part_.type = type.type;
        part_.contentTypeName = type.name;
    } else if (text.contains(QLatin1String("Content-Transfer-Encoding:"), Qt::CaseInsensitive)) {
        part_.encoding = value.trimmed();
    } else if (text.contains(QLatin1String("Content-Disposition:"), Qt::CaseInsensitive)) {
        if (value.contains(QLatin1String("filename"), Qt::CaseInsensitive))
            part_.dispositionName = GetParam(value, QStringLiteral(";"), QStringLiteral("filename"), false);
    }
}

void MimeDecoder::partStart()
{
    // The disposition's file name wins over the content type's, whatever
    // order the part's header lines came in.
    if (part_.fileName.isEmpty())
        part_.fileName = part_.dispositionName.isEmpty() ? part_.contentTypeName : part_.dispositionName;
    part_.fileName = StripChar(part_.fileName.trimmed(), QLatin1Char('"'));
    if (!part_.fileName.isEmpty()) {
        state_ = State::FileStart;
        return;
    }
    const QString type = part_.type.trimmed();
    if (type.toLower() == QLatin1String("text/plain")) {
        startTextDecoder(part_.encoding);
        state_ = State::TextPart;
        return;
    }
    const QString mainType = type.section(QLatin1Char('/'), 0, 0).trimmed().toUpper();
    const QString subType = type.section(QLatin1Char('/'), 1).trimmed().toUpper();
    part_.fileName = mainType == QLatin1String("IMAGE") ? QStringLiteral("UNKNOWN.") + subType.left(3)
                                                        : QStringLiteral("UNKNOWN.TXT");
    state_ = State::FileStart;
}

void MimeDecoder::fileLine(const LineReader::Piece& piece, bool lastLine)
{
    const bool boundary = isBoundaryLine(piece);
    if (!boundary && !lastLine) {
        partFile_.write(piece.text);
        if (piece.lineEnded)
            partFile_.write(kCrLf);
        return;
    }
    attachPart();
    if (lastLine || piece.text.endsWith("--")) {
        finished_ = true;
        return;
    }
    part_.clear();
    state_ = State::PartHeader;
}

void MimeDecoder::attachPart()
{
    partFile_.close();
    const QString partPath = temp_ + QStringLiteral("temp.txt");
    const QString encoding = part_.encoding.trimmed().toUpper();
    QString name = safeAttachmentName(part_.fileName);
    if (name.isEmpty())
        name = QStringLiteral("UNKNOWN.TXT");
    // Every part gets a file of its own, so no later part overwrites the
    // content of an earlier one before the message is stored.
    const QString target = temp_ + attachmentFileName(++attachmentIndex_, name);
    QFile::remove(target);
    if (encoding == QLatin1String("QUOTED-PRINTABLE") || isUuencoding(encoding))
        DecodeFileA(partPath, target);
    else if (encoding == QLatin1String("BASE64"))
        DecodeBase64FileA(partPath, target);
    else
        QFile::rename(partPath, target);
    if (!QFile::exists(target)) {
        QFile empty(target);
        empty.open(QIODevice::WriteOnly);
    }
    message_.attachments.push_back({name + QLatin1Char(';'), target});
}

void MimeDecoder::textLine(const LineReader::Piece& piece, bool lastLine)
{
    // The end-of-data line stays as it came, after the decoded text.
    if (lastLine && piece.wholeLine() && piece.text == "."
        && !std::holds_alternative<std::monostate>(textDecoder_)) {
        flushTextDecoder();
        appendBody(".\r\n");
        return;
    }
    appendText(piece.text, piece.lineEnded);
}

void MimeDecoder::endTextPart(const QByteArray& line)
{
    flushTextDecoder();
    textDecoder_ = std::monostate();
    // Text parts add up; a second one does not replace the first.
    messageText_ = headerText_ + kCrLfCrLf + mailText(body_) + QLatin1Char(' ');
    messageTextSet_ = true;
    state_ = line.endsWith("--") ? State::End : State::PartHeader;
    part_.clear();
}

void MimeDecoder::startTextDecoder(const QString& encoding)
{
    const QString upper = encoding.trimmed().toUpper();
    if (upper == QLatin1String("QUOTED-PRINTABLE"))
        textDecoder_ = QuotedPrintableDecoder();
    else if (upper == QLatin1String("BASE64"))
        textDecoder_ = Base64Decoder();
    else
        textDecoder_ = std::monostate();
}

void MimeDecoder::appendText(QByteArrayView bytes, bool lineEnded)
{
    if (std::holds_alternative<std::monostate>(textDecoder_)) {
        appendBody(bytes);
        if (lineEnded)
            appendBody(kCrLf);
        return;
    }
    QByteArray decoded;
    std::visit(
        [&](auto& decoder) {
            if constexpr (!std::is_same_v<std::decay_t<decltype(decoder)>, std::monostate>) {
                decoder.decode(bytes, decoded);
                if (lineEnded)
                    decoder.decode(kCrLf, decoded);
            }
        },
        textDecoder_);
    appendBody(decoded);
}

void MimeDecoder::flushTextDecoder()
{
    QByteArray decoded;
    std::visit(
        [&](auto& decoder) {
            if constexpr (!std::is_same_v<std::decay_t<decltype(decoder)>, std::monostate>)
                decoder.finish(decoded);
        },
        textDecoder_);
    appendBody(decoded);
}

void MimeDecoder::appendBody(QByteArrayView bytes)
{
    if (body_.size() + bytes.size() <= kMaxBody)
        body_.append(bytes);
}

void MimeDecoder::finish()
{
    if (state_ == State::TextPart)
        endTextPart({});  // the input ended inside a text part: keep its text
    partFile_.close();
    QFile::remove(temp_ + QStringLiteral("temp.txt"));
    if (boundary_.isEmpty())
        messageText_ = headerText_ + kCrLfCrLf + mailText(body_);
    else if (!messageTextSet_)
        messageText_ = headerText_ + kCrLfCrLf;  // the header still tells where the message came from
    message_.text = messageText_;
    message_.recipients = QStringList{QStringLiteral("SMTP:") + torvexAddr_};
}

bool DecodeIntoInbox(MimeDecoder& decoder, const QString& path, InboxWriter& inbox,
                     const QString& deliveryName)
{
    std::optional<NewInboxMessage> message = decoder.decodeFile(path);
    if (!message)
        return false;
    message->deliveryName = deliveryName;
    const bool stored = inbox.addToInbox(*message);
    for (const NewInboxMessage::Attachment& attachment : message->attachments)
        QFile::remove(attachment.sourcePath);
    return stored;
}

}  // namespace torvex
