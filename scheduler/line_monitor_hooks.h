#pragma once

#include <memory>

namespace torvex {

class MainForm;

// The telephone-line monitor (the window's Tapiline1), as the scheduler's
// window calls it. Made by makeLineMonitorHooks() with the window it serves;
// a ring wake-up reaches lstLines, txtStatus, Timer3, the countdown and
// MainForm::shellIt() through that window.
class LineMonitorHooks {
public:
    virtual ~LineMonitorHooks() = default;

    virtual void ClearHandles() = 0;
    virtual void TapiStart() = 0;
    virtual void TapiGetDevCaps() = 0;  // fills lstLines
    // 0 opens the selected line and waits for calls, 2 drops any call and
    // closes the line.
    virtual void LineMonitor(int index) = 0;
    // Window unload, after LineMonitor(2): close and shut the line control down.
    virtual void shutDown() = 0;
};

[[nodiscard]] std::unique_ptr<LineMonitorHooks> makeLineMonitorHooks(MainForm& form);

}  // namespace torvex
