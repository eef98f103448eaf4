#include "line_monitor_hooks.h"

namespace torvex {
namespace {

// Until the line monitor is wired in, the window watches no line.
class NoLineMonitor final : public LineMonitorHooks {
public:
    void ClearHandles() override {}
    void TapiStart() override {}
    void TapiGetDevCaps() override {}
    void LineMonitor(int) override {}
    void shutDown() override {}
};

}  // namespace

std::unique_ptr<LineMonitorHooks> makeLineMonitorHooks(MainForm&)
{
    return std::make_unique<NoLineMonitor>();
}

}  // namespace torvex
