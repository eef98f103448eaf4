#include "scheduler/core/help_pages.h"

namespace torvex {

QString helpPageAddress(const QString& helpLocation, const QString& appPath, int index)
{
    static const char* const pages[] = {"vxptfaq.htm", "vxphlpbs.htm", "vxphlprl.htm", "vxphlpfr.htm"};
    if (index < 0 || index > 3)
        return {};
    QString location = helpLocation;
    QString base;
    if (location.contains(QLatin1Char('.'))) {
        base = QStringLiteral("http://") + location + QLatin1Char('/');
    } else {
        // A folder of the program folder; either slash separates.
        location.replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (location.isEmpty() || location == QLatin1String("/")) {
            base = appPath + QLatin1Char('/');
        } else {
            if (!location.startsWith(QLatin1Char('/')))
                location.prepend(QLatin1Char('/'));
            if (!location.endsWith(QLatin1Char('/')))
                location.append(QLatin1Char('/'));
            base = appPath + location;
        }
    }
    return base + QString::fromLatin1(pages[index]);
}

QString homePageAddress(const QString& domain)
{
    return QStringLiteral("http://") + domain + QLatin1Char('/');
}

}  // namespace torvex
