#include "schedule_engine.h"

#include "clock.h"
#include "main_form.h"
#include "platform/desktop/message_box.h"
#include "print_launcher.h"
#include "settings_apply.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTimer>

namespace torvex {
namespace {

// A field that does not hold a number makes the step that reads it fail.
std::optional<int> number(const QLineEdit* field)
{
    bool ok = false;
    const int value = field->text().trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

}  // namespace

void ScheduleEngine::Timer1_Timer()
{
    FormControls& c = form_.controls();
    SchedulerState& s = form_.state();
    // Nobody need be there: what would stop the run in a box is a notice.
    const AttendanceScope unattended = form_.attendance(true);

    if (s.countdown > 0)
        --s.countdown;
    if (c.Check3->isChecked()) {
        c.Text19->setText(GetNextMinutes());
        ResetStatusBar();
    }

    std::optional<QString> kind;
    if (s.info.gMemberStatus.trimmed().toInt() > 3 && !s.info.gBriskoPath.isEmpty()
        && briskoFilesWaiting(s.info.gBriskoPath)) {
        kind = QStringLiteral("6");
        form_.setStatusText(myDateTime() + QStringLiteral("   Checking for Brisko Faxes!"));
    } else if (s.countdown == 0 && c.Check3->isChecked() && IsTime()) {
        kind = QStringLiteral("0");
    }
    if (kind) {
        form_.settings().Command1_Click();
        if (!s.settingsApplied || !c.Command4->isEnabled())
            return;
        form_.launcher().shellIt(*kind);
        ResetCountdown();
    }

    // Regular faxes ride on the countdown; an interval of 0 skips the step.
    const int interval = s.gRegularFaxInterval;
    if (c.Check8->isChecked() && interval != 0 && s.countdown % interval == 0
        && s.countdown > interval) {
        form_.setStatusText(myDateTime() + QStringLiteral("   Checking for regular faxes!"));
        if (c.Command4->isEnabled())
            form_.launcher().shellIt(QStringLiteral("1"));
    }
}

bool ScheduleEngine::IsTime() const
{
    const FormControls& c = form_.controls();
    const std::optional<int> start = number(c.Text10);
    const std::optional<int> stop = number(c.Text11);
    if (!start || !stop)
        return false;
    const int hour = form_.clock().now().time().hour();
    return hour >= *start && hour < *stop;
}

QString ScheduleEngine::GetNextMinutes()
{
    const FormControls& c = form_.controls();
    SchedulerState& s = form_.state();
    if (s.countdown < 0)
        s.countdown = number(c.Text9).value_or(0);
    if (IsTime())
        return QString::number(s.countdown);

    const std::optional<int> start = number(c.Text10);
    if (!start)
        return c.Text19->text();
    const QTime now = form_.clock().now().time();
    const int hour = now.hour();
    const int minute = now.minute();
    const int minutes = hour < *start ? (*start - hour) * 60 - minute
                                      : (24 - hour + *start) * 60 - minute;
    return QString::number(minutes);
}

void ScheduleEngine::ResetCountdown()
{
    const FormControls& c = form_.controls();
    form_.state().countdown = number(c.Text9).value_or(form_.state().countdown);
    c.Text19->setText(GetNextMinutes());
    ResetStatusBar();
}

void ScheduleEngine::ResetStatusBar()
{
    const FormControls& c = form_.controls();
    if (!c.Command4->isEnabled())
        return;
    if (!c.errorsignal->isHidden()) {
        form_.boxes().beep();
        // The error as the print utility wrote it: most are not about the
        // connection, and a fixed "Unable to contact the server" would send
        // the user looking in the wrong place.
        form_.setStatusText(myDateTime() + QLatin1Char(' ') + form_.state().lastError);
        return;
    }
    const QString m = c.Text19->text();
    QString text;
    if (!c.Check3->isChecked())
        text = c.Check8->isChecked() ? QStringLiteral("  Waiting for regular faxes")
                                     : QStringLiteral("  No activity scheduled");
    else if (m != QLatin1String("0"))
        text = QStringLiteral("  Next TORVEX retrieval scheduled in ") + m
               + QStringLiteral(" minutes.");
    else
        text = QStringLiteral("  Commencing scheduled TORVEX retrieval .");
    form_.setStatusText(myDateTime() + text);
}

QString ScheduleEngine::myDateTime() const
{
    const QDateTime now = form_.clock().now();
    const QLocale locale = QLocale::system();
    return QStringLiteral("Date : ") + locale.toString(now.date(), QLocale::ShortFormat)
           + QStringLiteral("  Time : ") + locale.toString(now.time(), QStringLiteral("hh:mm AP"));
}

void ScheduleEngine::Timer3_Timer()
{
    form_.controls().Timer3->stop();
}

bool ScheduleEngine::briskoFilesWaiting(const QString& briskoPath)
{
    return !QDir(briskoPath).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty();
}

}  // namespace torvex
