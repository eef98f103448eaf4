#pragma once

#include <QString>

namespace torvex {

// Readers for the service's tagged HTML replies. Positions count from 1 (0
// means "not found"), as the reply offsets the callers pass around always
// have; markers match without regard to case. Callers may pass one variable
// as both posbegin and posend.

// The text between "<tag>" (searched from posbegin) and the next "</tag>";
// posend is left just after the closing marker. Without the opening marker
// the result is empty and posend keeps its value; without the closing one
// the result is empty and posend is Len(tag) + 3.
[[nodiscard]] QString GetTag(const QString& tag, qsizetype posbegin, const QString& Response,
                             qsizetype& posend);

// The text from posbegin up to the next "<tag>"; posend is left on the
// character after that marker's "<". Without the marker the result is empty
// and posend is Len(tag); from a position before the start the result is
// empty and posend grows by Len(tag).
[[nodiscard]] QString GetReply2(const QString& tag, qsizetype posbegin, const QString& Response,
                                qsizetype& posend);

}  // namespace torvex
