#pragma once

namespace torvex {

class MessageBoxes;
class SchedulerView;
struct SchedulerState;

// True when the modem or the network option is selected; otherwise tells
// the user to pick one and brings the connection page forward (not while
// unattended).
bool IsConnection(SchedulerView& view, MessageBoxes& boxes, const SchedulerState& state);

// Option1 = flg, Check14 enabled = flg, Option2 = not flg.
void resetConnectInfo(SchedulerView& view, bool flg);

}  // namespace torvex
