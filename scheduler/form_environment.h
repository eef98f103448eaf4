#pragma once

#include "account_hooks.h"
#include "dialup_hooks.h"
#include "line_monitor_hooks.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QWidget;

namespace torvex {

class Clock;
class MainForm;
class MessageBoxes;

// Opens a file or an address with the desktop's default handler; false
// when nothing could open it.
class ShellOpener {
public:
    virtual ~ShellOpener() = default;
    virtual bool open(const QString& pathOrUrl) = 0;
};

// Lets the user pick a mailbox profile (and create one); empty when
// cancelled. profilesFolder is the folder the profiles live in.
class ProfileChooser {
public:
    virtual ~ProfileChooser() = default;
    virtual QString choose(const QString& profilesFolder, QWidget* parent) = 0;
};

// What the scheduler's window takes from the host. The defaults are the
// real ones; tests replace the pieces they need to watch.
struct FormEnvironment {
    std::shared_ptr<MessageBoxes> boxes;
    std::shared_ptr<const Clock> clock;
    std::shared_ptr<ShellOpener> shell;
    std::shared_ptr<ProfileChooser> profileChooser;
    std::function<QStringList()> printerNames;
    std::function<void(QWidget* parent)> printerSetup;
    // "E&xit" ends the program at once.
    std::function<void()> endProgram;

    std::function<std::unique_ptr<AccountHooks>(MainForm&)> makeAccount = makeAccountHooks;
    std::function<std::unique_ptr<DialUpHooks>(MainForm&)> makeDialUp = makeDialUpHooks;
    std::function<std::unique_ptr<LineMonitorHooks>(MainForm&)> makeLineMonitor =
        makeLineMonitorHooks;
};

// Real message boxes, system clock, desktop services, the profile dialog,
// the printers of printer_list.h, Qt's printer set-up dialog and exit(0).
[[nodiscard]] FormEnvironment realEnvironment();

}  // namespace torvex
