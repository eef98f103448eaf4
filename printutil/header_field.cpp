#include "header_field.h"

#include <QStringList>

namespace torvex {
namespace {

bool startsLine(const QString& text, qsizetype at)
{
    if (at == 0)
        return true;
    const QChar before = text.at(at - 1);
    return before == QLatin1Char('\r') || before == QLatin1Char('\n') || before == QLatin1Char('\t');
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
    const qsizetype cr = value.indexOf(QLatin1Char('\r'));
    if (cr < 0)
        return {};
    if (cr + 2 < value.size() && value.at(cr + 2) == QLatin1Char('\t')) {
        const qsizetype next = value.indexOf(QLatin1String("\r\n"), cr + 3);
        if (next >= 0)
            return value.left(cr) + value.mid(cr + 3, next - (cr + 3));
    }
    return value.left(cr);
}

QString Parse(const QString& text, const QString& delimiter, QString& rest)
{
    const qsizetype at = delimiter.isEmpty() ? -1 : text.indexOf(delimiter);
    if (at < 0) {
        rest = text;
        return {};
    }
    rest = text.mid(at + delimiter.size());
    return text.left(at);
}

QString StripChar(QString text, QChar c)
{
    if (text.endsWith(c))
        text.chop(1);
    if (text.startsWith(c))
        text.remove(0, 1);
    return text;
}

QString GetParam(const QString& value, const QString& delimiter, const QString& key, bool byIndex)
{
    const QStringList elements = value.split(delimiter);
    if (byIndex) {
        bool ok = false;
        const int index = key.trimmed().toInt(&ok);
        return ok && index >= 1 && index <= elements.size() ? elements.at(index - 1) : QString();
    }
    const QString wanted = key.trimmed().toUpper();
    for (const QString& element : elements) {
        if (element.isEmpty())
            break;
        QString paramValue;
        const QString name = Parse(element, QStringLiteral("="), paramValue);
        if (!element.contains(QLatin1Char('=')))
            continue;
        if (name.trimmed().toUpper() == wanted)
            return paramValue;
    }
    return {};
}

ContentType ParseContentType(const QString& value)
{
    QString rest;
    QString type = Parse(value, QStringLiteral(";"), rest);
    if (!value.contains(QLatin1Char(';')))
        type = value;
    return {type.trimmed(), GetParam(value, QStringLiteral(";"), QStringLiteral("name"), false).trimmed()};
}

QString GetFileExtension(const QString& fileName)
{
    const QString name = StripChar(fileName, QLatin1Char('"'));
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

}  // namespace torvex
