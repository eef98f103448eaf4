#include "header_field.h"

#include "mail_header.h"

#include <optional>

namespace torvex {
namespace {

bool startsLine(const QString& text, qsizetype at)
{
    if (at == 0)
        return true;
    const QChar before = text.at(at - 1);
    return before == QLatin1Char('\r') || before == QLatin1Char('\n') || before == QLatin1Char('\t');
}

// The text with c removed once from its end and once from its start,
// where present.
QString StripChar(QString text, QChar c)
{
    if (text.endsWith(c))
        text.chop(1);
    if (text.startsWith(c))
        text.remove(0, 1);
    return text;
}

}  // namespace

QString trimBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

QString GetHeaderField(const QString& text, const QString& fieldName)
{
    // The callers give the name with its colon and what they want to follow
    // it ("Subject: "); the occurrence that counts is the first at a line
    // start (or after a tab, where folded fields join).
    const qsizetype colon = fieldName.indexOf(QLatin1Char(':'));
    if (colon <= 0)
        return {};
    qsizetype at = text.indexOf(fieldName, 0, Qt::CaseInsensitive);
    while (at >= 0 && !startsLine(text, at))
        at = text.indexOf(fieldName, at + 1, Qt::CaseInsensitive);
    if (at < 0)
        return {};
    qsizetype lineEnd = text.indexOf(QLatin1Char('\r'), at + fieldName.size());
    if (lineEnd < 0)
        return {};

    // The line from there is read as a field by the mail header reader.
    const QByteArray line = text.mid(at, lineEnd - at).toUtf8();
    const std::optional<HeaderFieldLine> field = readFieldLine(line);
    if (!field || QString::fromUtf8(field->name).compare(fieldName.left(colon), Qt::CaseInsensitive) != 0)
        return {};
    QString joined = QString::fromUtf8(field->value).mid(fieldName.size() - colon - 1);
    qsizetype blanks = 0;
    while (blanks < joined.size() && joined.at(blanks) == QLatin1Char(' '))
        ++blanks;
    joined.remove(0, blanks);

    // Every folded continuation line with a line end belongs to the field
    // (mail programs fold long Content-Type and address fields over several
    // lines): one folded with a tab is joined without the tab, one folded
    // with a blank keeps its blank.
    while (lineEnd + 2 < text.size() && text.at(lineEnd + 1) == QLatin1Char('\n')) {
        const qsizetype start = lineEnd + 2;
        const qsizetype next = text.indexOf(QLatin1String("\r\n"), start + 1);
        if (next < 0)
            break;
        const QString continuation = text.mid(start, next - start);
        if (!isFoldedLine(continuation.left(1).toUtf8()))
            break;
        joined += continuation.startsWith(QLatin1Char('\t')) ? continuation.mid(1) : continuation;
        lineEnd = next;
    }
    return joined;
}

QString GetFileExtension(const QString& fileName)
{
    const QString name = StripChar(fileName, QLatin1Char('"'));
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

}  // namespace torvex
