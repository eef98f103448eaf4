#include "scheduler/core/scheduler_view.h"

#include <QMetaEnum>

namespace torvex {

QString controlName(Control control)
{
    return QString::fromLatin1(QMetaEnum::fromType<Control>().valueToKey(int(control)));
}

}  // namespace torvex
