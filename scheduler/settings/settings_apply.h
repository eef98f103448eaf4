#pragma once

#include "common/telvane_info.h"
#include "scheduler/core/scheduler_view.h"

#include <QObject>

#include <functional>

namespace torvex {

class MessageBoxes;
class ProfileChooser;
class ServiceAccount;
struct SchedulerState;

// "&Apply Settings" and "E&xit": Apply checks the whole form in its fixed
// order, stops at the first problem with its message and the field in
// front, and otherwise writes the [TORVEX] section.
class SettingsApply final : public QObject {
    Q_OBJECT
public:
    SettingsApply(SchedulerView& view, SchedulerState& state, MessageBoxes& boxes,
                  ProfileChooser& chooser, ServiceAccount& account, std::function<void()> endProgram)
        : view_(view), state_(state), boxes_(boxes), chooser_(chooser), account_(account),
          endProgram_(std::move(endProgram))
    {
    }

    bool Command1_Click();  // Apply: true when every check passed (kept in the state's settingsApplied)
    // Before a run started by `button`: the connection chosen and the
    // settings applied, the button disabled meanwhile and again usable
    // when either fails.
    bool applyBeforeRun(Control button);
    void Command2_Click();  // Exit

Q_SIGNALS:
    // A check failed: message, then tab `page` to the front and the focus into field.
    void fieldRejected(int page, Control field, const QString& message);

private:
    bool runChecks();
    bool checkProfile();
    bool checkSecureConnections();
    bool checkPrinter();
    bool buildForwarding(AppliedSettings& applied);
    void copyControlsInto(AppliedSettings& applied);

    SchedulerView& view_;
    SchedulerState& state_;
    MessageBoxes& boxes_;
    ProfileChooser& chooser_;
    ServiceAccount& account_;
    std::function<void()> endProgram_;
};

}  // namespace torvex
