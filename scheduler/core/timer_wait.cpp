#include "scheduler/core/timer_wait.h"

#include "platform/desktop/time_scale.h"

#include <QCoreApplication>
#include <QTimer>

namespace torvex {

bool waitOnTimer(QTimer& timer, int ms, const std::function<bool()>& until)
{
    timer.setInterval(scaledMs(ms));
    timer.start();
    while (timer.isActive()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (until && until())
            return true;
    }
    return false;
}

}  // namespace torvex
