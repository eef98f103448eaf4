#pragma once

#include "scheduler/desktop/desktop_presence.h"

#include <memory>

namespace torvex {

class MainForm;

// The scheduler on the desktop beside its window: the tray follows the
// core's status and the print utility's runs, its "Get TORVEXes NOW" and
// "Exit" are the window's buttons, and the fax log, reached from the tray
// and the window, lists the current profile's folders.
[[nodiscard]] std::unique_ptr<DesktopPresence> presentOnDesktop(MainForm& form);

}  // namespace torvex
