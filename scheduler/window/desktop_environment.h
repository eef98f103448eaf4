#pragma once

#include "scheduler/core/core_environment.h"

class QWidget;

namespace torvex {

// Real message boxes, the system clock, the desktop's default handlers, the
// printers of printer_list.h and exit(0); the window adds its profile dialog.
[[nodiscard]] CoreEnvironment desktopEnvironment();

// Qt's printer set-up dialog ("&Setup").
void showPrinterSetup(QWidget* parent);

}  // namespace torvex
