#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace torvex {

class Clock;
class MessageBoxes;

// Opens a file or an address with the desktop's default handler; false
// when nothing could open it.
class ShellOpener {
public:
    virtual ~ShellOpener() = default;
    virtual bool open(const QString& pathOrUrl) = 0;
};

// Lets the user pick a mailbox profile (and create one) among those in
// profilesFolder; empty when cancelled.
class ProfileChooser {
public:
    virtual ~ProfileChooser() = default;
    virtual QString choose(const QString& profilesFolder) = 0;
};

// What the scheduler takes from its host. The window gives it the real
// desktop; tests give it recorded boxes, a fixed clock and scripted answers.
struct CoreEnvironment {
    std::shared_ptr<MessageBoxes> boxes;
    std::shared_ptr<const Clock> clock;
    std::shared_ptr<ShellOpener> shell;
    std::shared_ptr<ProfileChooser> profileChooser;
    std::function<QStringList()> printerNames;
    // "E&xit" ends the program at once.
    std::function<void()> endProgram;
};

}  // namespace torvex
