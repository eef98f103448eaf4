#include "maildir_mime.h"

#include <QLocale>
#include <QMap>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTimeZone>

#include <cctype>

namespace torvex {
namespace {

// Deeper nesting than any mail client writes; beyond it a body stays whole,
// so a hostile message cannot exhaust the stack.
constexpr int kMaxDepth = 20;

struct Line {
    qsizetype start;  // first byte
    qsizetype end;    // after the text, before the line end
    qsizetype next;   // start of the following line
};

Line lineAt(const QByteArray& data, qsizetype start)
{
    qsizetype lf = data.indexOf('\n', start);
    const qsizetype next = lf < 0 ? data.size() : lf + 1;
    qsizetype end = lf < 0 ? data.size() : lf;
    if (end > start && data.at(end - 1) == '\r')
        --end;
    return {start, end, next};
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

struct Param {
    QByteArray name;
    QByteArray value;
};

// The ";"-separated parameters after the first element of a header value.
std::vector<Param> splitParams(const QByteArray& value)
{
    std::vector<Param> params;
    QByteArray current;
    bool quoted = false;
    bool first = true;
    const auto finish = [&] {
        if (!first) {
            const qsizetype eq = current.indexOf('=');
            if (eq > 0) {
                QByteArray v = current.mid(eq + 1).trimmed();
                if (v.size() >= 2 && v.startsWith('"') && v.endsWith('"')) {
                    QByteArray unquoted;
                    for (qsizetype i = 1; i + 1 < v.size(); ++i) {
                        if (v.at(i) == '\\' && i + 2 < v.size())
                            ++i;
                        unquoted.append(v.at(i));
                    }
                    v = unquoted;
                }
                params.push_back({current.left(eq).trimmed().toLower(), v});
            }
        }
        first = false;
        current.clear();
    };
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value.at(i);
        if (c == '"')
            quoted = !quoted;
        if (c == '\\' && quoted && i + 1 < value.size()) {
            current.append(c);
            current.append(value.at(++i));
            continue;
        }
        if (c == ';' && !quoted) {
            finish();
            continue;
        }
        current.append(c);
    }
    finish();
    return params;
}

QByteArray percentDecode(const QByteArray& text)
{
    return QByteArray::fromPercentEncoding(text);
}

// The parameter's value with RFC 2231 continuations ("name*0*=") and
// charsets ("utf-8''%E2%82%AC") applied.
QString findParam(const QByteArray& headerValue, const QByteArray& wanted)
{
    const std::vector<Param> params = splitParams(headerValue);
    QMap<int, Param> pieces;
    QString plain;
    bool havePlain = false;
    for (const Param& p : params) {
        if (p.name == wanted) {
            plain = decodeHeaderText(p.value);
            havePlain = true;
        } else if (p.name == wanted + '*') {
            pieces.insert(0, {QByteArrayLiteral("*"), p.value});
        } else if (p.name.startsWith(wanted + '*')) {
            QByteArray index = p.name.mid(wanted.size() + 1);
            const bool encoded = index.endsWith('*');
            if (encoded)
                index.chop(1);
            bool ok = false;
            const int n = index.toInt(&ok);
            if (ok && n >= 0 && n < 1000)
                pieces.insert(n, {encoded ? QByteArrayLiteral("*") : QByteArray(), p.value});
        }
    }
    if (pieces.isEmpty())
        return havePlain ? plain : QString();
    QByteArray charset;
    QByteArray bytes;
    for (auto it = pieces.cbegin(); it != pieces.cend(); ++it) {
        QByteArray v = it.value().value;
        const bool encoded = !it.value().name.isEmpty();
        if (encoded && it.key() == pieces.firstKey()) {
            const qsizetype q1 = v.indexOf('\'');
            const qsizetype q2 = q1 < 0 ? -1 : v.indexOf('\'', q1 + 1);
            if (q2 > 0) {
                charset = v.left(q1);
                v = v.mid(q2 + 1);
            }
        }
        bytes += encoded ? percentDecode(v) : v;
    }
    return decodeCharset(bytes, charset);
}

QByteArray firstElement(const QByteArray& value)
{
    const qsizetype semi = value.indexOf(';');
    return (semi < 0 ? value : value.left(semi)).trimmed();
}

void splitBody(MimeEntity& entity, const QByteArray& boundary, int depth);

MimeEntity parseEntity(const QByteArray& data, int depth)
{
    MimeEntity entity;
    qsizetype pos = 0;
    bool sawEmptyLine = false;
    while (pos < data.size()) {
        const Line line = lineAt(data, pos);
        pos = line.next;
        if (line.end == line.start) {
            sawEmptyLine = true;
            break;
        }
        const QByteArray text = data.mid(line.start, line.end - line.start);
        if (isBlank(text.at(0))) {
            if (!entity.fields.empty())
                entity.fields.back().second += ' ' + text.trimmed();
            continue;
        }
        const qsizetype colon = text.indexOf(':');
        if (colon <= 0)
            continue;  // not a field ("+OK" status lines, mbox separators)
        entity.fields.emplace_back(text.left(colon).trimmed(), text.mid(colon + 1).trimmed());
    }
    entity.headerText = data.left(pos);
    entity.body = sawEmptyLine || pos < data.size() ? data.mid(pos) : QByteArray();
    if (entity.mimeType().startsWith("multipart/") && depth < kMaxDepth) {
        const QByteArray boundary = entity.contentTypeParam("boundary").toUtf8();
        if (!boundary.isEmpty())
            splitBody(entity, boundary, depth);
    }
    return entity;
}

void splitBody(MimeEntity& entity, const QByteArray& boundary, int depth)
{
    const QByteArray delimiter = "--" + boundary;
    const QByteArray& body = entity.body;
    qsizetype pos = 0;
    qsizetype partStart = -1;
    while (pos < body.size()) {
        const Line line = lineAt(body, pos);
        QByteArray text = body.mid(line.start, line.end - line.start);
        while (!text.isEmpty() && isBlank(text.back()))
            text.chop(1);
        const bool closing = text == delimiter + "--";
        if (closing || text == delimiter) {
            if (partStart >= 0) {
                // The line end before a delimiter belongs to the delimiter.
                qsizetype partEnd = line.start;
                if (partEnd > partStart && body.at(partEnd - 1) == '\n')
                    --partEnd;
                if (partEnd > partStart && body.at(partEnd - 1) == '\r')
                    --partEnd;
                entity.parts.push_back(parseEntity(body.mid(partStart, partEnd - partStart), depth + 1));
            }
            if (closing)
                return;
            partStart = line.next;
        }
        pos = line.next;
    }
    if (partStart >= 0 && partStart < body.size())
        entity.parts.push_back(parseEntity(body.mid(partStart), depth + 1));  // closing line missing
}

QByteArray decodeQWord(const QByteArray& text)
{
    QByteArray spaced = text;
    spaced.replace('_', ' ');
    return decodeQuotedPrintable(spaced);
}

}  // namespace

QByteArray MimeEntity::field(const QByteArray& name) const
{
    for (const auto& [fieldName, value] : fields) {
        if (fieldName.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

QList<QByteArray> MimeEntity::allFields(const QByteArray& name) const
{
    QList<QByteArray> values;
    for (const auto& [fieldName, value] : fields) {
        if (fieldName.compare(name, Qt::CaseInsensitive) == 0)
            values << value;
    }
    return values;
}

QByteArray MimeEntity::mimeType() const
{
    const QByteArray type = firstElement(field("Content-Type")).toLower();
    return type.contains('/') ? type : QByteArrayLiteral("text/plain");
}

QString MimeEntity::contentTypeParam(const QByteArray& name) const
{
    return findParam(field("Content-Type"), name.toLower());
}

QString MimeEntity::dispositionParam(const QByteArray& name) const
{
    return findParam(field("Content-Disposition"), name.toLower());
}

QByteArray MimeEntity::disposition() const
{
    return firstElement(field("Content-Disposition")).toLower();
}

QByteArray MimeEntity::decodedBody() const
{
    const QByteArray encoding = field("Content-Transfer-Encoding").trimmed().toLower();
    if (encoding == "base64")
        return QByteArray::fromBase64(body);
    if (encoding == "quoted-printable")
        return decodeQuotedPrintable(body);
    return body;
}

MimeEntity parseMimeEntity(const QByteArray& data)
{
    return parseEntity(data, 0);
}

QString decodeCharset(const QByteArray& bytes, const QByteArray& charset)
{
    QByteArray name = charset.trimmed();
    const qsizetype star = name.indexOf('*');  // RFC 2231 language suffix
    if (star >= 0)
        name.truncate(star);
    if (!name.isEmpty()) {
        QStringDecoder decoder(name.constData());
        if (decoder.isValid()) {
            QString text = decoder.decode(bytes);
            if (!decoder.hasError())
                return text;
        }
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

QString decodeHeaderText(const QByteArray& raw)
{
    static const QRegularExpression word(
        QStringLiteral(R"(=\?([^?\s]+)\?([BbQq])\?([^?\s]*)\?=)"));
    const QString text = QString::fromLatin1(raw);
    QString out;
    qsizetype pos = 0;
    bool lastWasWord = false;
    auto it = word.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const QString between = text.mid(pos, m.capturedStart() - pos);
        if (!(lastWasWord && between.trimmed().isEmpty()))
            out += decodeCharset(between.toLatin1(), QByteArray());
        const QByteArray payload = m.captured(3).toLatin1();
        const bool base64 = m.captured(2).compare(QLatin1String("b"), Qt::CaseInsensitive) == 0;
        out += decodeCharset(base64 ? QByteArray::fromBase64(payload) : decodeQWord(payload),
                             m.captured(1).toLatin1());
        pos = m.capturedEnd();
        lastWasWord = true;
    }
    out += decodeCharset(text.mid(pos).toLatin1(), QByteArray());
    return out;
}

QByteArray encodeHeaderText(const QString& text)
{
    bool plain = true;
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            plain = false;
    }
    if (plain && !text.contains(QStringLiteral("=?")))
        return text.toLatin1();
    // Words of at most 45 bytes keep each encoded word within 75 characters;
    // a multi-byte character is never split.
    QByteArray out;
    QByteArray chunk;
    const auto flush = [&] {
        if (chunk.isEmpty())
            return;
        if (!out.isEmpty())
            out += ' ';
        out += "=?utf-8?B?" + chunk.toBase64() + "?=";
        chunk.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QString one = text.mid(i, len);
        one.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        const QByteArray bytes = one.toUtf8();
        if (chunk.size() + bytes.size() > 45)
            flush();
        chunk += bytes;
        i += len - 1;
    }
    flush();
    return out;
}

QByteArray decodeQuotedPrintable(const QByteArray& encoded)
{
    QByteArray out;
    out.reserve(encoded.size());
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const char c = encoded.at(i);
        if (c != '=') {
            out.append(c);
            continue;
        }
        if (i + 1 < encoded.size() && encoded.at(i + 1) == '\n') {
            ++i;  // soft line break
            continue;
        }
        if (i + 2 < encoded.size() && encoded.at(i + 1) == '\r' && encoded.at(i + 2) == '\n') {
            i += 2;
            continue;
        }
        if (i + 2 < encoded.size() && std::isxdigit(uchar(encoded.at(i + 1)))
            && std::isxdigit(uchar(encoded.at(i + 2)))) {
            out.append(char(encoded.mid(i + 1, 2).toInt(nullptr, 16)));
            i += 2;
        } else {
            out.append(c);  // a lone "=" stays as written
        }
    }
    return out;
}

QStringList splitAddressList(const QString& list)
{
    QStringList result;
    QString current;
    int angle = 0;
    int comment = 0;
    bool quoted = false;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QChar c = list.at(i);
        if (c == QLatin1Char('\\') && quoted && i + 1 < list.size()) {
            current += c;
            current += list.at(++i);
            continue;
        }
        if (c == QLatin1Char('"') && comment == 0)
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char('('))
            ++comment;
        else if (!quoted && c == QLatin1Char(')') && comment > 0)
            --comment;
        else if (!quoted && comment == 0 && c == QLatin1Char('<'))
            ++angle;
        else if (!quoted && comment == 0 && c == QLatin1Char('>') && angle > 0)
            --angle;
        if (c == QLatin1Char(',') && !quoted && angle == 0 && comment == 0) {
            if (!current.trimmed().isEmpty())
                result << current.trimmed();
            current.clear();
            continue;
        }
        current += c;
    }
    if (!current.trimmed().isEmpty())
        result << current.trimmed();
    return result;
}

QString addressOf(const QString& mailbox)
{
    const qsizetype open = mailbox.lastIndexOf(QLatin1Char('<'));
    const qsizetype close = open < 0 ? -1 : mailbox.indexOf(QLatin1Char('>'), open);
    if (close > open)
        return mailbox.mid(open + 1, close - open - 1).trimmed();
    static const QRegularExpression comments(QStringLiteral(R"(\([^()]*\))"));
    return QString(mailbox).remove(comments).trimmed();
}

QDateTime parseMailDate(const QString& text)
{
    static const QRegularExpression trailingComment(QStringLiteral(R"(\s*\([^()]*\)\s*$)"));
    QString cleaned = QString(text).remove(trailingComment).simplified();
    QDateTime time = QDateTime::fromString(cleaned, Qt::RFC2822Date);
    if (!time.isValid()) {
        // Without the day name, which Qt's reader insists on in some forms.
        const qsizetype comma = cleaned.indexOf(QLatin1Char(','));
        if (comma >= 0)
            time = QDateTime::fromString(cleaned.mid(comma + 1).trimmed(), Qt::RFC2822Date);
    }
    return time;
}

QByteArray formatMailDate(const QDateTime& time)
{
    return time.toString(Qt::RFC2822Date).toLatin1();
}

}  // namespace torvex
