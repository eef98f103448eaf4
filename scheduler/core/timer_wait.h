#pragma once

#include <functional>

class QTimer;

namespace torvex {

// Starts the one-shot timer for ms (before scaling) and lets the event loop
// run until it has stopped: the window repaints, other timers tick and clicks
// are handled meanwhile. With until, the wait ends early, with true, as soon
// as until() holds after an event.
bool waitOnTimer(QTimer& timer, int ms, const std::function<bool()>& until = {});

}  // namespace torvex
