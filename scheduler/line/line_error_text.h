#pragma once

#include <QString>
#include <QtGlobal>

namespace torvex {

// The text for a LINEERR_ result code of the line control, in TAPI's
// numbering; empty for the codes without a text and for anything else.
[[nodiscard]] QString LineErrorText(qint32 code);

}  // namespace torvex
