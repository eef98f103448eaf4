#include "scheduler/line/status_lines.h"

#include "scheduler/core/scheduler_view.h"

namespace torvex {

QString prependedStatusLine(const QString& box, const QString& text)
{
    QString all = text + QLatin1Char('\n') + box;
    qsizetype end = -1;
    for (int line = 0; line < kStatusLineLimit; ++line) {
        end = all.indexOf(QLatin1Char('\n'), end + 1);
        if (end < 0)
            break;
    }
    if (end >= 0)
        all.truncate(end + 1);
    return all;
}

void PrependStatusLine(SchedulerView& view, const QString& text)
{
    view.setText(Control::txtStatus, prependedStatusLine(view.text(Control::txtStatus), text));
}

}  // namespace torvex
