#include "tray_state.h"

#include <QLocale>

namespace torvex {

TrayState trayStateFor(const SchedulerGlance& glance, const QDateTime& now)
{
    TrayState state;
    QString line;
    if (glance.retrieving) {
        state.activity = TrayActivity::Retrieving;
        line = QStringLiteral("Retrieving TORVEXes ...");
    } else if (!glance.scheduled) {
        line = QStringLiteral("No retrieval scheduled");
    } else if (glance.minutesToNext >= 0) {
        const QDateTime next = now.addSecs(qint64(glance.minutesToNext) * 60);
        line = QStringLiteral("Next retrieval at %1 (in %2 minutes)")
                   .arg(QLocale().toString(next.time(), QLocale::ShortFormat))
                   .arg(glance.minutesToNext);
    }
    if (glance.errorShown && !glance.retrieving) {
        state.activity = TrayActivity::Error;
        line = QStringLiteral("! ") + glance.lastError + (line.isEmpty() ? QString() : QLatin1Char('\n') + line);
    }
    state.toolTip = QStringLiteral("TORVEX Print Scheduler") + (line.isEmpty() ? QString() : QLatin1Char('\n') + line);
    return state;
}

}  // namespace torvex
