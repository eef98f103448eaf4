#include "time_scale.h"

#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <cmath>

namespace torvex {

double timeScale()
{
    bool ok = false;
    const double scale = qEnvironmentVariable("TORVEX_TIME_SCALE").toDouble(&ok);
    return ok && scale > 1.0 ? scale : 1.0;
}

int scaledMs(int milliseconds)
{
    if (milliseconds <= 0)
        return milliseconds;
    const double scaled = std::round(milliseconds / timeScale());
    return std::max(1, int(scaled));
}

}  // namespace torvex
