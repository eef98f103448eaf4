#pragma once

#include "common/telvane_info.h"

namespace torvex {

class MainForm;

// "&Apply Settings" and "E&xit": Apply checks the whole form in its fixed
// order, stops at the first problem with its message and the field in
// front, and otherwise writes the [TORVEX] section.
class SettingsApply {
public:
    explicit SettingsApply(MainForm& form) : form_(form) {}

    void Command1_Click();  // Apply; the outcome is state().settingsApplied
    void Command2_Click();  // Exit

private:
    bool runChecks();
    bool checkProfile();
    bool checkSecureConnections();
    bool checkPrinter();
    bool buildForwarding(AppliedSettings& applied);
    void copyControlsInto(AppliedSettings& applied);

    MainForm& form_;
};

}  // namespace torvex
