#include "http_escape.h"

namespace torvex {

QString TabsToHttp(const QString& text)
{
    if (text.isEmpty())
        return QStringLiteral("%20");
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\'': break;
        case '%': out += QLatin1String("%%"); break;
        case '\n': out += QLatin1String("%0A"); break;
        case '\r': out += QLatin1String("%0D"); break;
        case ' ': out += QLatin1String("%20"); break;
        default: out += c;
        }
    }
    return out;
}

QString HttpToTabs(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('%')) {
            out += c;
            continue;
        }
        const QStringView rest = QStringView(text).mid(i);
        if (rest.startsWith(QLatin1String("%%"))) {
            out += QLatin1Char('%');
            ++i;
        } else if (rest.startsWith(QLatin1String("%0A"))) {
            out += QLatin1Char('\n');
            i += 2;
        } else if (rest.startsWith(QLatin1String("%0D"))) {
            out += QLatin1Char('\r');
            i += 2;
        } else if (rest.startsWith(QLatin1String("%20"))) {
            out += QLatin1Char(' ');
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace torvex
