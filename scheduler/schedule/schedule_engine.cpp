#include "scheduler/schedule/schedule_engine.h"

#include "platform/desktop/message_box.h"
#include "scheduler/core/clock.h"
#include "scheduler/core/scheduler_state.h"
#include "scheduler/core/scheduler_view.h"
#include "scheduler/core/status_bar.h"
#include "scheduler/core/unattended_boxes.h"
#include "scheduler/launch/print_launcher.h"
#include "scheduler/settings/settings_apply.h"

#include <QDir>

#include <optional>

namespace torvex {
namespace {

// A field that does not hold a number makes the step that reads it fail.
std::optional<int> number(const SchedulerView& view, Control field)
{
    bool ok = false;
    const int value = view.text(field).trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

}  // namespace

void ScheduleEngine::Timer1_Timer()
{
    // Nobody need be there: what would stop the run in a box is a notice.
    const AttendanceScope unattended(state_.unattended, true);

    if (state_.countdown > 0)
        --state_.countdown;
    if (view_.isChecked(Control::Check3)) {
        view_.setText(Control::Text19, GetNextMinutes());
        ResetStatusBar();
    }

    std::optional<QString> kind;
    if (state_.info.gMemberStatus.trimmed().toInt() > 3 && !state_.info.gBriskoPath.isEmpty()
        && briskoFilesWaiting(state_.info.gBriskoPath)) {
        kind = QStringLiteral("6");
        status_.showNow(QStringLiteral("   "), QStringLiteral("Checking for Brisko Faxes!"));
    } else if (state_.countdown == 0 && view_.isChecked(Control::Check3) && IsTime()) {
        kind = QStringLiteral("0");
    }
    if (kind) {
        if (!settings_.Command1_Click() || !view_.isEnabled(Control::Command4))
            return;
        launcher_.shellIt(*kind);
        ResetCountdown();
    }

    // Regular faxes ride on the countdown; an interval of 0 skips the step.
    const int interval = state_.gRegularFaxInterval;
    if (view_.isChecked(Control::Check8) && interval != 0 && state_.countdown % interval == 0
        && state_.countdown > interval) {
        status_.showNow(QStringLiteral("   "), QStringLiteral("Checking for regular faxes!"));
        if (view_.isEnabled(Control::Command4))
            launcher_.shellIt(QStringLiteral("1"));
    }
}

bool ScheduleEngine::IsTime() const
{
    const std::optional<int> start = number(view_, Control::Text10);
    const std::optional<int> stop = number(view_, Control::Text11);
    if (!start || !stop)
        return false;
    const int hour = clock_.now().time().hour();
    return hour >= *start && hour < *stop;
}

QString ScheduleEngine::GetNextMinutes()
{
    if (state_.countdown < 0)
        state_.countdown = number(view_, Control::Text9).value_or(0);
    if (IsTime())
        return QString::number(state_.countdown);

    const std::optional<int> start = number(view_, Control::Text10);
    if (!start)
        return view_.text(Control::Text19);
    const QTime now = clock_.now().time();
    const int hour = now.hour();
    const int minute = now.minute();
    const int minutes = hour < *start ? (*start - hour) * 60 - minute
                                      : (24 - hour + *start) * 60 - minute;
    return QString::number(minutes);
}

void ScheduleEngine::ResetCountdown()
{
    state_.countdown = number(view_, Control::Text9).value_or(state_.countdown);
    view_.setText(Control::Text19, GetNextMinutes());
    ResetStatusBar();
}

void ScheduleEngine::ResetStatusBar()
{
    if (!view_.isEnabled(Control::Command4))
        return;
    if (view_.isVisible(Control::errorsignal)) {
        boxes_.beep();
        // The error as the print utility wrote it: most are not about the
        // connection, and a fixed "Unable to contact the server" would send
        // the user looking in the wrong place.
        status_.showNow(QStringLiteral(" "), state_.lastError);
        return;
    }
    const QString m = view_.text(Control::Text19);
    QString text;
    if (!view_.isChecked(Control::Check3))
        text = view_.isChecked(Control::Check8) ? QStringLiteral("Waiting for regular faxes")
                                                : QStringLiteral("No activity scheduled");
    else if (m != QLatin1String("0"))
        text = QStringLiteral("Next TORVEX retrieval scheduled in ") + m + QStringLiteral(" minutes.");
    else
        text = QStringLiteral("Commencing scheduled TORVEX retrieval .");
    status_.showNow(QStringLiteral("  "), text);
}

bool ScheduleEngine::briskoFilesWaiting(const QString& briskoPath)
{
    return !QDir(briskoPath).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty();
}

}  // namespace torvex
