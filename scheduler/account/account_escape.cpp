#include "scheduler/account/account_escape.h"

#include "common/http_escape.h"

#include <QStringList>

namespace torvex {

QString requestValue(const QString& text)
{
    QString value = TabsToHttp(text);
    value.replace(QLatin1Char('&'), QLatin1String("%26"));
    value.replace(QLatin1Char('#'), QLatin1String("%23"));
    value.replace(QLatin1Char('+'), QLatin1String("%2B"));
    return value;
}

QString passwordValue(const QString& password)
{
    QStringList parts = password.split(QLatin1Char('\''));
    for (QString& part : parts)
        part = part.isEmpty() ? QString() : requestValue(part);
    return parts.join(QLatin1String("%27"));
}

QString storedProfileText(const QString& stored)
{
    // Shown as stored, a value would be escaped once more on every save.
    if (stored == QLatin1String("%20"))
        return {};
    // "%%" is an escaped "%" whatever follows it, so the three codes
    // requestValue adds are decoded only between such pairs.
    QStringList parts = stored.split(QLatin1String("%%"));
    for (QString& part : parts) {
        part = HttpToTabs(part);
        part.replace(QLatin1String("%26"), QLatin1String("&"));
        part.replace(QLatin1String("%23"), QLatin1String("#"));
        part.replace(QLatin1String("%2B"), QLatin1String("+"));
    }
    return parts.join(QLatin1Char('%'));
}

}  // namespace torvex
