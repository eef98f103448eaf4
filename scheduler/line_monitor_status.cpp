#include "line_monitor_status.h"

#include <QPlainTextEdit>

namespace torvex {

void PrependStatusLine(QPlainTextEdit& box, const QString& text)
{
    QString all = text + QLatin1Char('\n') + box.toPlainText();
    qsizetype end = -1;
    for (int line = 0; line < kStatusLineLimit; ++line) {
        end = all.indexOf(QLatin1Char('\n'), end + 1);
        if (end < 0)
            break;
    }
    if (end >= 0)
        all.truncate(end + 1);
    box.setPlainText(all);
}

}  // namespace torvex
