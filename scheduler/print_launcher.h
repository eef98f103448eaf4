#pragma once

#include <QString>

namespace torvex {

class MainForm;

// Starts the print utility as a separate process for one run and follows
// it through the hand-over keys (VXPrint, print_status, last_error) in
// 10-second steps on Timer2, keeping the window's event loop running.
class PrintLauncher {
public:
    explicit PrintLauncher(MainForm& form) : form_(form) {}

    // kind: "0" scheduled or manual, "1" regular faxes, "2" test message,
    // "3" ring wake-up, "6" Brisko folder.
    void shellIt(const QString& flg);
    void Timer2_Timer();
    void errorsignal_Click();
    void Command4_Click();  // "&Get TORVEXes NOW"

    // True while shellIt follows a run.
    [[nodiscard]] bool running() const { return running_; }

private:
    void finish(const QString& flg);
    void waitOneStep();

    MainForm& form_;
    bool running_ = false;
};

// The print utility's path from the program folder and print_exe. On this
// platform the utility has no ".exe": a configured name ending in ".exe"
// that does not exist falls back to the name without it when that exists.
// When the program folder holds neither, the same names beside the
// scheduler's own executable count (an installed scheduler).
[[nodiscard]] QString printUtilityPath(const QString& appPath, const QString& printExe);

}  // namespace torvex
