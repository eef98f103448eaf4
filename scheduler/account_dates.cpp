#include "account_dates.h"

#include <QLocale>

namespace torvex {

QString accountDateText(const QDate& date)
{
    return date.toString(Qt::ISODate);
}

std::optional<QDate> parseAccountDate(const QString& text)
{
    const QString trimmed = text.trimmed();
    for (const QDate date : {QDate::fromString(trimmed, Qt::ISODate),
                             QLocale::system().toDate(trimmed, QLocale::ShortFormat),
                             QDate::fromString(trimmed, QStringLiteral("M/d/yyyy"))}) {
        // A two-digit year read by the locale lands in the 1900s; such a date
        // is no use for counting days.
        if (date.isValid() && date.year() >= 1970)
            return date;
    }
    return std::nullopt;
}

bool memberCheckDue(const QString& profileLastChange, const QDate& today)
{
    const std::optional<QDate> stamp = parseAccountDate(profileLastChange);
    return !stamp || stamp->daysTo(today) > kMemberCheckDays;
}

}  // namespace torvex
