#include "mail_header.h"

#include "platform/codec/codec.h"
#include "platform/mail/mail_text.h"

#include <QMap>
#include <QRegularExpression>

namespace torvex {
namespace {

// Far more header than any mail program writes for one part; beyond it
// fields are dropped, so a hostile header cannot exhaust memory.
constexpr qsizetype kMaxHeaderBytes = 256 * 1024;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray firstElement(const QByteArray& value)
{
    const qsizetype semi = value.indexOf(';');
    return (semi < 0 ? value : value.left(semi)).trimmed();
}

struct Param {
    QByteArray name;
    QByteArray value;
};

// The ";"-separated parameters after the first element of a field value,
// each value unquoted.
std::vector<Param> splitParams(QByteArrayView value)
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

QByteArray decodeQWord(QByteArrayView text)
{
    QByteArray spaced = text.toByteArray();
    spaced.replace('_', ' ');
    QuotedPrintableDecoder decoder;
    QByteArray out;
    decoder.decode(spaced, out);
    decoder.finish(out);
    return out;
}

}  // namespace

std::optional<HeaderFieldLine> readFieldLine(QByteArrayView line)
{
    if (line.isEmpty() || isBlank(line.front()))
        return std::nullopt;
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0)
        return std::nullopt;
    const QByteArrayView name = line.first(colon).trimmed();
    if (name.isEmpty())
        return std::nullopt;
    for (const char c : name) {
        if (uchar(c) < 0x21 || uchar(c) > 0x7e)
            return std::nullopt;
    }
    return HeaderFieldLine{name, line.sliced(colon + 1)};
}

bool isFoldedLine(QByteArrayView line)
{
    return !line.isEmpty() && isBlank(line.front());
}

void MailHeader::addLine(QByteArrayView line)
{
    if (line.isEmpty() || size_ + line.size() > kMaxHeaderBytes)
        return;
    if (isFoldedLine(line)) {
        if (fields_.empty())
            return;
        fields_.back().value += ' ' + line.trimmed().toByteArray();
        fields_.back().value = fields_.back().value.trimmed();
        size_ += line.size();
        return;
    }
    const std::optional<HeaderFieldLine> field = readFieldLine(line);
    if (!field)
        return;
    fields_.push_back({field->name.toByteArray(), field->value.trimmed().toByteArray()});
    size_ += line.size();
}

QByteArray MailHeader::field(QByteArrayView name) const
{
    for (const MailHeaderField& f : fields_) {
        if (QByteArrayView(f.name).compare(name, Qt::CaseInsensitive) == 0)
            return f.value;
    }
    return {};
}

QList<QByteArray> MailHeader::allFields(QByteArrayView name) const
{
    QList<QByteArray> values;
    for (const MailHeaderField& f : fields_) {
        if (QByteArrayView(f.name).compare(name, Qt::CaseInsensitive) == 0)
            values << f.value;
    }
    return values;
}

QByteArray MailHeader::mimeType() const
{
    const QByteArray type = firstElement(field("Content-Type")).toLower();
    return type.contains('/') ? type : QByteArrayLiteral("text/plain");
}

QString MailHeader::parameter(QByteArrayView fieldName, QByteArrayView name) const
{
    return headerParameter(field(fieldName), name);
}

QByteArray MailHeader::disposition() const
{
    return firstElement(field("Content-Disposition")).toLower();
}

QByteArray MailHeader::transferEncoding() const
{
    return field("Content-Transfer-Encoding").trimmed().toLower();
}

QString MailHeader::fileName() const
{
    QString name = parameter("Content-Disposition", "filename").trimmed();
    if (name.isEmpty())
        name = parameter("Content-Type", "name").trimmed();
    return name;
}

QString headerParameter(QByteArrayView value, QByteArrayView name)
{
    const QByteArray wanted = name.toByteArray().toLower();
    QMap<int, Param> pieces;  // RFC 2231 continuations by number; "*" marks an encoded piece
    QString plain;
    for (const Param& p : splitParams(value)) {
        if (p.name == wanted) {
            if (plain.isEmpty())
                plain = decodeHeaderText(p.value);
        } else if (p.name == wanted + '*') {
            pieces.insert(0, {QByteArrayLiteral("*"), p.value});
        } else if (p.name.startsWith(wanted + '*')) {
            QByteArray index = p.name.mid(wanted.size() + 1);
            const bool encoded = index.endsWith('*');
            if (encoded)
                index.chop(1);
            bool ok = false;
            const int n = index.toInt(&ok);
            if (ok && n >= 0 && n < 1000 && !pieces.contains(n))
                pieces.insert(n, {encoded ? QByteArrayLiteral("*") : QByteArray(), p.value});
        }
    }
    if (pieces.isEmpty())
        return plain;
    QByteArray charset;
    QByteArray bytes;
    for (auto it = pieces.cbegin(); it != pieces.cend(); ++it) {
        QByteArray v = it.value().value;
        const bool encoded = !it.value().name.isEmpty();
        if (encoded && it == pieces.cbegin()) {
            const qsizetype q1 = v.indexOf('\'');
            const qsizetype q2 = q1 < 0 ? -1 : v.indexOf('\'', q1 + 1);
            if (q2 > 0) {
                charset = v.left(q1);
                v = v.mid(q2 + 1);
            }
        }
        bytes += encoded ? QByteArray::fromPercentEncoding(v) : v;
    }
    return decodeCharset(bytes, charset);
}

QString decodeHeaderText(QByteArrayView raw)
{
    static const QRegularExpression word(QStringLiteral(R"(=\?([^?\s]+)\?([BbQq])\?([^?\s]*)\?=)"));
    const QString text = QString::fromLatin1(raw);
    QString out;
    qsizetype pos = 0;
    bool lastWasWord = false;
    auto it = word.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const QString between = text.mid(pos, m.capturedStart() - pos);
        // Blanks between two encoded words are not part of the text.
        if (!(lastWasWord && between.trimmed().isEmpty()))
            out += mailText(between.toLatin1());
        const QByteArray payload = m.captured(3).toLatin1();
        const bool base64 = m.captured(2).compare(QLatin1String("b"), Qt::CaseInsensitive) == 0;
        out += decodeCharset(base64 ? QByteArray::fromBase64(payload) : decodeQWord(payload),
                             m.captured(1).toLatin1());
        pos = m.capturedEnd();
        lastWasWord = true;
    }
    out += mailText(text.mid(pos).toLatin1());
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
        const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
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
    const QString cleaned = QString(text).remove(trailingComment).simplified();
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
