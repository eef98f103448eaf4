#pragma once

#include <QDate>
#include <QString>

namespace torvex {

// Dates kept as text in the settings (Profile_Last_Change): the system's
// short date form, always with a four-digit year so that a stored date
// never comes back a century off.
[[nodiscard]] QString formatSystemDate(const QDate& date);

// Reads a date written by formatSystemDate, the locale's own short form or
// ISO 8601; an invalid date when none fits.
[[nodiscard]] QDate parseSystemDate(const QString& text);

// True when more than the given number of calendar days lie between the
// stored date and today; false for an empty or unreadable date.
[[nodiscard]] bool moreDaysThan(const QString& storedDate, const QDate& today, int days);

}  // namespace torvex
