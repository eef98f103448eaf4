#include "scheduler/connection/connection_choice.h"

#include "platform/desktop/message_box.h"
#include "scheduler/core/program_title.h"
#include "scheduler/core/scheduler_state.h"
#include "scheduler/core/scheduler_view.h"

namespace torvex {

bool IsConnection(SchedulerView& view, MessageBoxes& boxes, const SchedulerState& state)
{
    if (view.isChecked(Control::Option1) || view.isChecked(Control::Option2))
        return true;
    boxes.beep();
    boxes.show(QStringLiteral("Please select 'Modem' or 'Network'."), programTitle(), MsgButtons::Ok,
               MsgIcon::None);
    if (!state.unattended && view.currentTab() != 3)
        view.switchFrame(3);
    return false;
}

void resetConnectInfo(SchedulerView& view, bool flg)
{
    view.setChecked(Control::Option1, flg);
    view.setEnabled(Control::Check14, flg);
    view.setChecked(Control::Option2, !flg);
}

}  // namespace torvex
