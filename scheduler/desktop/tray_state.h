#pragma once

#include <QDateTime>
#include <QString>

namespace torvex {

// What the tray icon shows at a glance.
enum class TrayActivity { Idle, Retrieving, Error };

struct TrayState {
    TrayActivity activity = TrayActivity::Idle;
    QString toolTip;
};

// What the scheduler is doing, as the tray needs it.
struct SchedulerGlance {
    bool retrieving = false;   // a run of the print utility is followed
    bool errorShown = false;   // the "!" of the last run's error is up
    QString lastError;
    bool scheduled = false;    // "Make sheduled connections" is ticked
    int minutesToNext = -1;    // "Time until next download"; -1 unknown
};

// The tray's state: the error sign over a run, a run over idle; the
// tooltip names the next retrieval by its time of day.
[[nodiscard]] TrayState trayStateFor(const SchedulerGlance& glance, const QDateTime& now);

}  // namespace torvex
