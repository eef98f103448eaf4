#include "header_field.h"

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
    if (fieldName.isEmpty())
        return {};
    qsizetype at = text.indexOf(fieldName, 0, Qt::CaseInsensitive);
    while (at >= 0 && !startsLine(text, at))
        at = text.indexOf(fieldName, at + 1, Qt::CaseInsensitive);
    if (at < 0)
        return {};

    const QString value = trimBlanks(text.mid(at + fieldName.size()));
    qsizetype lineEnd = value.indexOf(QLatin1Char('\r'));
    if (lineEnd < 0)
        return {};
    QString joined = value.left(lineEnd);
    // Every folded continuation line belongs to the field (mail programs
    // fold long Content-Type and address fields over several lines): one
    // folded with a tab is joined without the tab, one folded with a blank
    // keeps its blank.
    while (lineEnd + 2 < value.size() && value.at(lineEnd + 1) == QLatin1Char('\n')) {
        const QChar first = value.at(lineEnd + 2);
        if (first != QLatin1Char('\t') && first != QLatin1Char(' '))
            break;
        const qsizetype next = value.indexOf(QLatin1String("\r\n"), lineEnd + 3);
        if (next < 0)
            break;
        const qsizetype from = first == QLatin1Char('\t') ? lineEnd + 3 : lineEnd + 2;
        joined += value.mid(from, next - from);
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
