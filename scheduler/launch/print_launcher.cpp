#include "scheduler/launch/print_launcher.h"

#include "common/file_exists.h"
#include "common/telvane_info.h"
#include "platform/desktop/message_box.h"
#include "scheduler/account/account_service.h"
#include "scheduler/connection/dialup_connection.h"
#include "scheduler/core/clock.h"
#include "scheduler/core/program_title.h"
#include "scheduler/core/scheduler_state.h"
#include "scheduler/core/scheduler_view.h"
#include "scheduler/core/status_bar.h"
#include "scheduler/core/system_date.h"
#include "scheduler/core/timer_wait.h"

#include <QCoreApplication>
#include <QProcess>

namespace torvex {

void PrintLauncher::shellIt(const QString& flg)
{
    if (state_.flgLoading)
        return;
    running_ = true;
    view_.setEnabled(Control::Command4, false);
    view_.setEnabled(Control::Command5, false);

    if (flg != QLatin1String("6") && flg != QLatin1String("1")) {
        if (view_.isChecked(Control::Option1)) {
            if (!dialUp_.IsDialUpConnected()) {
                boxes_.beep();
                boxes_.show(QStringLiteral("Please try again when connected!"), programTitle(),
                            MsgButtons::Ok, MsgIcon::None);
                finish(flg);
                return;
            }
            view_.setChecked(Control::Check12, true);
        }
        if (!state_.info.gUserProfileStamp.isEmpty()) {
            if (moreDaysThan(state_.info.gUserProfileStamp, clock_.now().date(), 30)
                && account_.member.CheckMemberStatus())
                account_.member.ResetGroupFunctions();
            account_.reporting.UpdatedbLocalIPAddress();
        }
    }

    qint32 error = 0;
    if (!FileExists(state_.gShellPath, error)) {
        boxes_.show(QStringLiteral("Set Up Error !\r\nMissing TORVEX Print Utility."), programTitle(),
                    MsgButtons::Ok, MsgIcon::None);
        finish(flg);
        return;
    }

    if (!QProcess::startDetached(state_.gShellPath, {QLatin1Char('/') + flg}, state_.gAppPath)) {
        boxes_.beep();
        boxes_.show(QStringLiteral("Unable to locate the TORVEX Print Executable!\r\nPlease install "
                                   "VXPRINT.EXE and re-try."),
                    programTitle(), MsgButtons::Ok, MsgIcon::None);
        running_ = false;
        return;
    }

    Q_EMIT runStarted(flg);
    // A general_timout below 0 counts as 0: the wait stays bounded.
    bool finished = false;
    int steps = std::max(state_.info.gTimoutMinutes, 1) * 6;
    while (--steps > 0) {
        waitOnTimer(timer2_, 10000);
        finished = readTorvexKey(QStringLiteral("VXPrint")) == QLatin1String("quit");
        if (finished)
            break;
        showPrintStatus();
    }
    finish(flg);
    Q_EMIT runEnded(flg, finished);
}

void PrintLauncher::showPrintStatus()
{
    const QString status = readTorvexKey(QStringLiteral("print_status"));
    if (!status.isEmpty())
        status_.showNow(QStringLiteral("  "), status);
}

void PrintLauncher::finish(const QString& flg)
{
    writeTorvexKey(QStringLiteral("VXPrint"), QString());
    if (flg == QLatin1String("0") && view_.isChecked(Control::Check14) && dialUp_.connected())
        dialUp_.DisConnectDialUp();
    state_.lastError = readTorvexKey(QStringLiteral("last_error"));
    if (flg != QLatin1String("2")) {
        if (!state_.lastError.isEmpty()) {
            view_.setVisible(Control::errorsignal, true);
            status_.setText(state_.lastError);
            Q_EMIT captionChanged(programTitle() + QStringLiteral(" Halted !"));
        } else {
            view_.setVisible(Control::errorsignal, false);
            Q_EMIT captionChanged(programTitle());
        }
    }
    view_.setEnabled(Control::Command4, true);
    view_.setEnabled(Control::Command5, true);
    running_ = false;
}

void PrintLauncher::Timer2_Timer()
{
    showPrintStatus();
    timer2_.stop();
}

void PrintLauncher::errorsignal_Click()
{
    boxes_.show(QStringLiteral("The print utility reported the following error.\r\n") + state_.lastError,
                QCoreApplication::applicationName(), MsgButtons::Ok, MsgIcon::None);
    view_.setVisible(Control::errorsignal, false);
}

}  // namespace torvex
