#pragma once

#include "scheduler/account/account_service.h"
#include "scheduler/connection/connection_page.h"
#include "scheduler/connection/dialup_connection.h"
#include "scheduler/core/core_environment.h"
#include "scheduler/core/scheduler_state.h"
#include "scheduler/core/scheduler_view.h"
#include "scheduler/core/status_bar.h"
#include "scheduler/core/unattended_boxes.h"
#include "scheduler/launch/print_launcher.h"
#include "scheduler/line/line_monitor.h"
#include "scheduler/line/send_test.h"
#include "scheduler/schedule/schedule_engine.h"
#include "scheduler/settings/field_checks.h"
#include "scheduler/settings/page_switches.h"
#include "scheduler/settings/settings_apply.h"

#include <QObject>
#include <QTimer>

namespace torvex {

// The scheduler without its widgets: the program-wide state, the three
// timers and the parts that act on them (the schedule, the print-utility
// launcher, Apply and the field checks, the service account, the dial-up
// connection and the line monitor). The window is its view: it forwards
// what the user does and shows what the core reports.
//
// A desktop view (tray, notifications, fax log) hooks onto the same core:
// retrievalStarted/retrievalEnded for a run of the print utility,
// statusTextChanged and captionChanged for what the window shows,
// minutesToNextRetrieval for the schedule, clicked(Control::Command4) for
// "&Get TORVEXes NOW" (offered while the view has Command4 enabled) and
// clicked(Control::Command2) for "E&xit".
class SchedulerCore final : public QObject {
    Q_OBJECT
public:
    SchedulerCore(CoreEnvironment env, SchedulerView& view, QObject* parent = nullptr);
    ~SchedulerCore() override;

    // The loading steps (Form_Load); false when the program must end (the
    // account file is missing; its message has been shown).
    bool Form_Load();
    // Form_Unload: the telephone line is dropped, closed and shut down.
    void Form_Unload();
    // After the window is shown: member status when its last check is more
    // than 30 days old, the address update, the group functions; only for a
    // registered account with a member-status date.
    void runStartupAccountSteps();

    // What the user did in the window; every click is attended, also inside
    // the wait of a scheduled run. A click on a check box or an option
    // comes after its new value.
    void clicked(Control control);
    void helpClicked(int index);  // the help buttons Command9(0-3)
    void relayGroupDoubleClicked();  // Frame15
    void fieldChanged(Control field);
    void fieldLeft(Control field);
    void fieldEntered(Control field);

    // "Time until next download" in minutes; -1 while it shows none.
    [[nodiscard]] int minutesToNextRetrieval() const;

    [[nodiscard]] SchedulerState& state() { return state_; }
    [[nodiscard]] StatusBar& statusBar() { return status_; }
    [[nodiscard]] MessageBoxes& boxes() { return boxes_; }
    [[nodiscard]] QTimer& Timer1() { return timer1_; }
    [[nodiscard]] QTimer& Timer2() { return timer2_; }
    [[nodiscard]] ScheduleEngine& schedule() { return schedule_; }
    [[nodiscard]] PrintLauncher& launcher() { return launcher_; }
    [[nodiscard]] SettingsApply& settings() { return settings_; }
    [[nodiscard]] ServiceAccount& account() { return account_; }
    [[nodiscard]] DialUpConnection& dialUp() { return dialUp_; }
    [[nodiscard]] TelephoneLineMonitor& lineMonitor() { return lineMonitor_; }

Q_SIGNALS:
    void statusTextChanged(const QString& text);
    void captionChanged(const QString& caption);
    // A run of the print utility began, and ended (finished: it reported
    // its end within the time allowed); kind: "0" scheduled or manual,
    // "1" regular faxes, "2" test message, "3" ring wake-up, "6" Brisko
    // folder.
    void retrievalStarted(const QString& kind);
    void retrievalEnded(const QString& kind, bool finished);

private:
    void Command4_Click();  // "&Get TORVEXes NOW"
    // Beep, the message, then tab `page` to the front and the focus into the
    // field (not while unattended).
    void reportField(int page, Control field, const QString& message);
    // A message of an unattended run: on the status bar and, kept, at the
    // top of the Line State box.
    void notice(const QString& text);
    void accountRegistered();
    void startScheduleTick();  // Timer1, every 60 s
    // Sets a check box as loading does, running its click handler when the
    // value changes.
    void tick(Control box, bool on);

    void loadPrinters();
    void loadFirstRun();
    void loadNormalRun();
    void splitTorvexAddress();
    void loadDialUpAndNetwork();

    CoreEnvironment env_;
    SchedulerView& view_;
    SchedulerState state_;
    QTimer timer1_;
    QTimer timer2_;
    QTimer timer3_;
    StatusBar status_;
    UnattendedBoxes boxes_;
    ServiceAccount account_;
    DialUpConnection dialUp_;
    PrintLauncher launcher_;
    SettingsApply settings_;
    ScheduleEngine schedule_;
    FieldChecks fields_;
    PageSwitches switches_;
    ConnectionPage connectionPage_;
    TelephoneLineMonitor lineMonitor_;
    SendTest sendTest_;
};

}  // namespace torvex
