#include "scheduler/core/unattended_boxes.h"

namespace torvex {

MsgAnswer UnattendedBoxes::show(const QString& text, const QString& caption, MsgButtons buttons,
                                MsgIcon icon)
{
    if (!unattended_)
        return boxes_.show(text, caption, buttons, icon);
    notice_(text);
    return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
}

}  // namespace torvex
