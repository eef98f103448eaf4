#include "scheduler/core/system_date.h"

#include <QLocale>

namespace torvex {
namespace {

QString fourDigitYearFormat()
{
    QString format = QLocale::system().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

}  // namespace

QString formatSystemDate(const QDate& date)
{
    return QLocale::system().toString(date, fourDigitYearFormat());
}

QDate parseSystemDate(const QString& text)
{
    const QString trimmed = text.trimmed();
    QDate date = QLocale::system().toDate(trimmed, fourDigitYearFormat());
    if (!date.isValid())
        date = QLocale::system().toDate(trimmed, QLocale::ShortFormat);
    if (!date.isValid())
        date = QDate::fromString(trimmed, Qt::ISODate);
    return date;
}

bool moreDaysThan(const QString& storedDate, const QDate& today, int days)
{
    const QDate date = parseSystemDate(storedDate);
    return date.isValid() && date.daysTo(today) > days;
}

}  // namespace torvex
