#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace torvex {

// The dates the account keeps in Account_Date_Stamp and Profile_Last_Change
// are written in ISO form (2026-12-07): short, the same in every locale, and
// read back without a century guess. Older stamps in the locale's short form
// or in M/D/YYYY are still understood.
[[nodiscard]] QString accountDateText(const QDate& date);
[[nodiscard]] std::optional<QDate> parseAccountDate(const QString& text);

// The member-status check is due when more than 30 calendar days have
// passed since the stamp; a stamp that cannot be read is due as well, so a
// successful check rewrites it.
inline constexpr int kMemberCheckDays = 30;
[[nodiscard]] bool memberCheckDue(const QString& profileLastChange, const QDate& today);

}  // namespace torvex
