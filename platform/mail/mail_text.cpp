#include "mail_text.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringList>

namespace torvex {
namespace {

// Text has hardly any control characters but line ends, tabs and form
// feeds; binary data has many. More than one in a hundred is not text.
constexpr int kControlsPerHundred = 1;

bool isTextControl(uchar c)
{
    return c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v' || c == '\b' || c == 0x1b
        || c == 0x1a;  // DOS end of file
}

bool isBlock(QStringView tag)
{
    static const QStringList blocks{QStringLiteral("p"),     QStringLiteral("div"),        QStringLiteral("tr"),
                                    QStringLiteral("li"),    QStringLiteral("table"),      QStringLiteral("ul"),
                                    QStringLiteral("ol"),    QStringLiteral("blockquote"), QStringLiteral("pre"),
                                    QStringLiteral("hr"),    QStringLiteral("title"),      QStringLiteral("h1"),
                                    QStringLiteral("h2"),    QStringLiteral("h3"),         QStringLiteral("h4"),
                                    QStringLiteral("h5"),    QStringLiteral("h6"),         QStringLiteral("dt"),
                                    QStringLiteral("dd"),    QStringLiteral("address"),    QStringLiteral("center")};
    return blocks.contains(tag);
}

// The character a reference such as "&amp;" or "&#233;" stands for; empty
// when it is none we know.
QString entityText(QStringView entity)
{
    if (entity.startsWith(u'#')) {
        bool ok = false;
        const uint code = entity.startsWith(u"#x", Qt::CaseInsensitive) ? entity.mid(2).toUInt(&ok, 16)
                                                                         : entity.mid(1).toUInt(&ok, 10);
        if (!ok || code == 0 || code > 0x10ffff)
            return {};
        const char32_t c = code;
        return QString::fromUcs4(&c, 1);
    }
    static const QList<std::pair<QString, QString>> named{
        {QStringLiteral("amp"), QStringLiteral("&")},     {QStringLiteral("lt"), QStringLiteral("<")},
        {QStringLiteral("gt"), QStringLiteral(">")},      {QStringLiteral("quot"), QStringLiteral("\"")},
        {QStringLiteral("apos"), QStringLiteral("'")},    {QStringLiteral("nbsp"), QStringLiteral(" ")},
        {QStringLiteral("euro"), QStringLiteral("\u20ac")}, {QStringLiteral("copy"), QStringLiteral("\u00a9")}};
    for (const auto& [name, text] : named) {
        if (entity == name)
            return text;
    }
    return {};
}

}  // namespace

QString decodeCharset(QByteArrayView bytes, QByteArrayView charset)
{
    QByteArray name = charset.trimmed().toByteArray();
    const qsizetype star = name.indexOf('*');
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
    return mailText(bytes);
}

QString mailText(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

QString withCrLf(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / 32);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r')) {
            out += QStringLiteral("\r\n");
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('\n')) {
            out += QStringLiteral("\r\n");
        } else {
            out += c;
        }
    }
    return out;
}

QString htmlToText(const QString& html)
{
    QString out;
    const auto endLine = [&out] {
        while (out.endsWith(QLatin1Char(' ')))
            out.chop(1);
        if (!out.isEmpty() && !out.endsWith(QLatin1Char('\n')))
            out += QLatin1Char('\n');
    };
    qsizetype i = 0;
    while (i < html.size()) {
        const QChar c = html.at(i);
        if (c == QLatin1Char('<')) {
            if (html.mid(i, 4) == QLatin1String("<!--")) {
                const qsizetype end = html.indexOf(QLatin1String("-->"), i + 4);
                i = end < 0 ? html.size() : end + 3;
                continue;
            }
            const qsizetype close = html.indexOf(QLatin1Char('>'), i + 1);
            if (close < 0)
                break;
            const QStringView inside = QStringView(html).sliced(i + 1, close - i - 1).trimmed();
            const bool endTag = inside.startsWith(u'/');
            qsizetype n = endTag ? 1 : 0;
            while (n < inside.size() && inside.at(n).isLetterOrNumber())
                ++n;
            const QString tag = inside.sliced(endTag ? 1 : 0, n - (endTag ? 1 : 0)).toString().toLower();
            i = close + 1;
            if (!endTag && (tag == QLatin1String("script") || tag == QLatin1String("style"))) {
                const qsizetype end = html.indexOf(QStringLiteral("</") + tag, i, Qt::CaseInsensitive);
                const qsizetype after = end < 0 ? -1 : html.indexOf(QLatin1Char('>'), end);
                i = after < 0 ? html.size() : after + 1;
            } else if (tag == QLatin1String("br")) {
                while (out.endsWith(QLatin1Char(' ')))
                    out.chop(1);
                out += QLatin1Char('\n');
            } else if (isBlock(tag)) {
                endLine();
            } else if (tag == QLatin1String("td") || tag == QLatin1String("th")) {
                if (!out.isEmpty() && !out.endsWith(QLatin1Char('\n')) && !out.endsWith(QLatin1Char(' ')))
                    out += QLatin1Char(' ');
            }
            continue;
        }
        if (c == QLatin1Char('&')) {
            const qsizetype semicolon = html.indexOf(QLatin1Char(';'), i + 1);
            if (semicolon > i && semicolon - i <= 10) {
                const QString text = entityText(QStringView(html).sliced(i + 1, semicolon - i - 1));
                if (!text.isEmpty()) {
                    out += text;
                    i = semicolon + 1;
                    continue;
                }
            }
        }
        if (c.isSpace()) {
            if (!out.isEmpty() && !out.endsWith(QLatin1Char(' ')) && !out.endsWith(QLatin1Char('\n')))
                out += QLatin1Char(' ');
        } else {
            out += c;
        }
        ++i;
    }
    endLine();
    return out;
}

void BinaryDetector::feed(QByteArrayView bytes)
{
    total_ += bytes.size();
    for (const char byte : bytes) {
        const auto c = uchar(byte);
        if (c == 0)
            nul_ = true;
        else if (c < 0x20 && !isTextControl(c))
            ++controls_;
    }
}

bool BinaryDetector::isBinary() const
{
    return nul_ || controls_ * 100 > total_ * kControlsPerHundred;
}

bool isBinaryData(QByteArrayView bytes)
{
    BinaryDetector detector;
    detector.feed(bytes);
    return detector.isBinary();
}

bool isBinaryFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true;
    BinaryDetector detector;
    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    qint64 got = 0;
    while ((got = file.read(chunk.data(), chunk.size())) > 0 && !detector.isBinary())
        detector.feed(QByteArrayView(chunk.constData(), got));
    return got < 0 || detector.isBinary();
}

}  // namespace torvex
