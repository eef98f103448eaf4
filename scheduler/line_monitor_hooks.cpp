#include "line_monitor_hooks.h"

#include "line_monitor.h"

namespace torvex {

std::unique_ptr<LineMonitorHooks> makeLineMonitorHooks(MainForm& form)
{
    return std::make_unique<TelephoneLineMonitor>(form);
}

}  // namespace torvex
