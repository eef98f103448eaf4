#pragma once

#include <QString>

namespace torvex {

// "TORVEX Print Scheduler": the window's caption and the caption of the
// scheduler's boxes.
[[nodiscard]] inline QString programTitle()
{
    return QStringLiteral("TORVEX Print Scheduler");
}

}  // namespace torvex
