#include "header_field.h"

namespace torvex {
namespace {

bool startsFieldLine(const QString& text, qsizetype at)
{
    if (at == 0)
        return true;
    const QChar before = text.at(at - 1);
    return before == QLatin1Char('\r') || before == QLatin1Char('\n') || before == QLatin1Char('\t');
}

// Trims blanks only, as the header values are padded with blanks, never
// with other white space that may carry meaning (tabs, line ends).
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

}  // namespace

QString GetHeaderField(const QString& text, const QString& fieldName)
{
    if (fieldName.isEmpty())
        return {};
    qsizetype at = text.indexOf(fieldName, 0, Qt::CaseInsensitive);
    while (at >= 0 && !startsFieldLine(text, at))
        at = text.indexOf(fieldName, at + 1, Qt::CaseInsensitive);
    if (at < 0)
        return {};

    const QString rest = trimBlanks(text.mid(at + fieldName.size()));
    const qsizetype cr = rest.indexOf(QLatin1Char('\r'));
    if (cr < 0)
        return {};
    if (cr + 2 < rest.size() && rest.at(cr + 2) == QLatin1Char('\t')) {
        const qsizetype nextLineEnd = rest.indexOf(QStringLiteral("\r\n"), cr + 3);
        if (nextLineEnd >= 0)
            return rest.left(cr) + rest.mid(cr + 3, nextLineEnd - (cr + 3));
    }
    return rest.left(cr);
}

QString GetFileExtension(const QString& fileName)
{
    QString name = fileName;
    if (name.endsWith(QLatin1Char('"')))
        name.chop(1);
    if (name.startsWith(QLatin1Char('"')))
        name.remove(0, 1);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

}  // namespace torvex
