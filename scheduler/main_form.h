#pragma once

#include "form_controls.h"
#include "form_environment.h"
#include "scheduler_state.h"
#include "unattended_boxes.h"

#include <QKeySequence>
#include <QWidget>

#include <memory>

namespace torvex {

class FieldChecks;
class PageHandlers;
class PrintLauncher;
class ScheduleEngine;
class SettingsApply;

// The scheduler's window (frmSchdlr): the tab strip with its nine pages,
// the button row, the status bar and the three timers. It owns the
// program-wide state and the parts that act on the window: the schedule,
// the print-utility launcher, Apply/Exit, the page handlers, the field
// checks, and the account, dial-up and line-monitor features.
class MainForm final : public QWidget {
    Q_OBJECT
public:
    explicit MainForm(FormEnvironment env, QWidget* parent = nullptr);
    ~MainForm() override;

    [[nodiscard]] static QString title();  // "TORVEX Print Scheduler"

    [[nodiscard]] FormControls& controls() { return c_; }
    [[nodiscard]] SchedulerState& state() { return state_; }
    // The boxes of the environment, quiet while a run is unattended.
    [[nodiscard]] MessageBoxes& boxes() { return *boxes_; }
    [[nodiscard]] const Clock& clock() const { return *env_.clock; }
    [[nodiscard]] FormEnvironment& environment() { return env_; }

    [[nodiscard]] ScheduleEngine& schedule() { return *schedule_; }
    [[nodiscard]] PrintLauncher& launcher() { return *launcher_; }
    [[nodiscard]] SettingsApply& settings() { return *settings_; }
    [[nodiscard]] PageHandlers& handlers() { return *handlers_; }
    [[nodiscard]] FieldChecks& fields() { return *fields_; }
    [[nodiscard]] AccountHooks& account() { return *account_; }
    [[nodiscard]] DialUpHooks& dialUp() { return *dialUp_; }
    [[nodiscard]] LineMonitorHooks& lineMonitor() { return *lineMonitor_; }

    // The loading steps (Form_Load); false when the program must end (the
    // account file is missing; its message has been shown).
    bool Form_Load();

    // Brings tab n (1-9) and its page to the front.
    void switchFrame(int n);
    void TabStrip1_Click(int index);

    // Panel 1 of the status bar.
    void setStatusText(const QString& text);
    [[nodiscard]] QString statusText() const;

    // Beep, the message (OK, program title), then page n to the front and
    // the focus into field (not while unattended: nobody is looking, and
    // whoever is works on undisturbed).
    void reportField(const QString& message, int page, QWidget* field);
    // Page n to the front (when it is not), then the focus into field.
    void focusField(int page, QWidget* field);
    // Beep and a message with OK and the program title.
    void alert(const QString& message);

    // Whether Enter presses "&Apply Settings" (not while in the street field).
    void setApplyIsDefault(bool isDefault);

    // Brings the window forward when a second start asks for it.
    void bringForward();

    // A new account was registered: "&Get TORVEXes NOW" and the schedule
    // work from now on, without a restart.
    void accountRegistered();

    // A message of an unattended run: on the status bar and, kept, at the
    // top of the Line State box.
    void notice(const QString& text);
    // While the returned scope lives, the window's messages are notices
    // (unattended) or boxes (attended: a user's click, also inside the wait
    // of an unattended run).
    [[nodiscard]] AttendanceScope attendance(bool unattended)
    {
        return AttendanceScope(state_.unattended, unattended);
    }

protected:
    void closeEvent(QCloseEvent* event) override;  // Form_Unload
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;  // Frame15 double-click

private:
    void connectControls();
    void loadPrinters();
    void loadNormalRun();
    void loadFirstRun();
    void splitTorvexAddress();
    void loadDialUpAndNetwork();
    void startScheduleTick();  // Timer1, every 60 s
    // Focuses the field whose caption on the visible page has this Alt
    // shortcut; false when none has.
    bool shortcutToField(const QKeySequence& key);

    FormEnvironment env_;
    SchedulerState state_;
    std::unique_ptr<UnattendedBoxes> boxes_;
    FormControls c_;
    bool applyIsDefault_ = true;

    std::unique_ptr<AccountHooks> account_;
    std::unique_ptr<DialUpHooks> dialUp_;
    std::unique_ptr<LineMonitorHooks> lineMonitor_;
    std::unique_ptr<ScheduleEngine> schedule_;
    std::unique_ptr<PrintLauncher> launcher_;
    std::unique_ptr<SettingsApply> settings_;
    std::unique_ptr<PageHandlers> handlers_;
    std::unique_ptr<FieldChecks> fields_;
};

}  // namespace torvex
