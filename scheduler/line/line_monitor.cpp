#include "scheduler/line/line_monitor.h"

#include "common/telvane_info.h"
#include "platform/desktop/message_box.h"
#include "platform/desktop/time_scale.h"
#include "platform/modem/modem_line_probe.h"
#include "scheduler/core/program_title.h"
#include "scheduler/core/scheduler_state.h"
#include "scheduler/core/scheduler_view.h"
#include "scheduler/core/status_bar.h"
#include "scheduler/core/unattended_boxes.h"
#include "scheduler/launch/print_launcher.h"
#include "scheduler/line/line_error_text.h"
#include "scheduler/line/status_lines.h"
#include "scheduler/schedule/schedule_engine.h"

#include <QRegularExpression>

namespace torvex {

namespace {

constexpr qint32 kLowApiVersion = 0x10000;   // TAPI 1.0
constexpr qint32 kHighApiVersion = 0x10004;  // TAPI 1.4
constexpr int kReopenWaitMs = 10000;
constexpr int kRunWatchMs = 1000;  // how often to look whether the retrieval has ended

QStringList configuredPorts(const QString& setting)
{
    return setting.split(QRegularExpression(QStringLiteral("[,\\s]+")), Qt::SkipEmptyParts);
}

}  // namespace

TelephoneLineMonitor::TelephoneLineMonitor(SchedulerView& view, SchedulerState& state,
                                           StatusBar& status, MessageBoxes& boxes, QTimer& timer3,
                                           PrintLauncher& launcher, ScheduleEngine& schedule)
    : view_(view), state_(state), status_(status), boxes_(boxes), timer3_(timer3),
      launcher_(launcher), schedule_(schedule)
{
    connect(&line_, &ModemLine::lineCallback, this, &TelephoneLineMonitor::Tapiline1_LineCallback);
    connect(&timer3_, &QTimer::timeout, this, &TelephoneLineMonitor::onTimer3);
    runWatch_.setSingleShot(true);
    connect(&runWatch_, &QTimer::timeout, this, &TelephoneLineMonitor::reopenAfterCall);
}

void TelephoneLineMonitor::status(const QString& text)
{
    PrependStatusLine(view_, text);
}

void TelephoneLineMonitor::ClearHandles()
{
    line_.handles = {};
}

void TelephoneLineMonitor::TapiStart()
{
    const QString setting = readTorvexKey(QString::fromLatin1(kModemDevicesKey)).trimmed();
    QStringList ports;
    if (setting.isEmpty())
        ports = installedModems();
    else if (setting.compare(QLatin1String("none"), Qt::CaseInsensitive) != 0)
        ports = configuredPorts(setting);
    const qint32 result = line_.lineInitialize(ports);
    if (result < 0)
        boxes_.show(QStringLiteral("Unable to Start TAPI!"), programTitle(), MsgButtons::Ok,
                    MsgIcon::Critical);
    for (qint32 device = 0; device < line_.numDevices(); ++device) {
        qint32 version = 0;
        line_.lineNegotiateAPIVersion(device, kLowApiVersion, kHighApiVersion, version);
    }
}

void TelephoneLineMonitor::TapiGetDevCaps()
{
    for (qint32 device = 0; device < line_.numDevices(); ++device) {
        QString name;
        const qint32 result = line_.lineGetDevCaps(device, name);
        // An error line keeps list indexes equal to device identifiers.
        view_.addEntry(Control::lstLines,
                       result < 0 ? QStringLiteral("<<<ERROR>>> DevCaps...") + LineErrorText(result) : name);
    }
}

void TelephoneLineMonitor::LineMonitor(int index)
{
    if (state_.info.gMemberStatus < QLatin1String("2"))
        return;
    if (index == 0) {
        // No modem configured or found: nothing to watch, nothing to say.
        if (view_.entries(Control::lstLines).isEmpty())
            return;
        const int selected = view_.currentIndex(Control::lstLines);
        if (selected < 0) {
            boxes_.show(QStringLiteral("Select a line first!"), programTitle(), MsgButtons::Ok,
                        MsgIcon::Information);
            return;
        }
        view_.setText(Control::txtStatus, QString());
        const qint32 result = line_.lineOpen(selected,
                                             ModemLine::LINECALLPRIVILEGE_OWNER
                                                 | ModemLine::LINECALLPRIVILEGE_MONITOR,
                                             ModemLine::LINEMEDIAMODE_INTERACTIVEVOICE);
        if (result >= 0) {
            status(QStringLiteral("LineOpen Successful"));
            status(QStringLiteral("Waiting for an incoming call..."));
        } else {
            status(QStringLiteral("<<LineOpen ERROR>> ") + LineErrorText(result));
        }
    } else if (index == 2) {
        line_.lineDrop();
        line_.lineClose();
        ClearHandles();
        status(QStringLiteral("Line Dropped and Closed"));
    }
}

void TelephoneLineMonitor::shutDown()
{
    runWatch_.stop();
    reopenPending_ = false;
    line_.lineClose();
    line_.lineShutdown();
}

void TelephoneLineMonitor::reopenAfterCall()
{
    // On a network card the line stays closed until the retrieval is over.
    // The handler does not wait for that in a nested loop: a wake-up that
    // comes while a retrieval is followed runs inside that retrieval's own
    // wait, which could then never end.
    if (view_.isChecked(Control::Option2) && launcher_.running()) {
        runWatch_.start(scaledMs(kRunWatchMs));
        return;
    }
    reopenPending_ = true;
    timer3_.setInterval(scaledMs(kReopenWaitMs));
    timer3_.start();
}

void TelephoneLineMonitor::onTimer3()
{
    if (!reopenPending_)
        return;
    reopenPending_ = false;
    LineMonitor(0);
}

void TelephoneLineMonitor::callOver()
{
    line_.lineDeallocateCall();
    line_.handles.call = 0;
    if (gWakePending_) {
        status(QStringLiteral("Wake Up!"));
        LineMonitor(2);
        status_.showNow(QStringLiteral("   "), QStringLiteral("Wake-Up! Retrieving TORVEXes for ")
                                                    + state_.info.Torvex_Addr.toUpper());
        gWakePending_ = false;
        if (view_.isEnabled(Control::Command4)) {
            launcher_.shellIt(QStringLiteral("3"));
            if (view_.text(Control::Text9).isEmpty())
                view_.setText(Control::Text9, QStringLiteral("0"));
            state_.countdown = view_.text(Control::Text9).trimmed().toInt();
            view_.setText(Control::Text19, schedule_.GetNextMinutes());
            ++wakeUps_;
            status(QStringLiteral("  Total Wake Ups=") + QString::number(wakeUps_));
        }
    } else {
        status(QStringLiteral("  On-hook at ring ") + QString::number(ringsOfCall_));
        LineMonitor(2);
        gWakePending_ = false;
    }
    reopenAfterCall();
}

void TelephoneLineMonitor::Tapiline1_LineCallback(qint32 hDevice, qint32 dwMessage, qint32,
                                                qint32 dwParam1, qint32, qint32 dwParam3)
{
    // A ring's retrieval runs with nobody there.
    const AttendanceScope unattended(state_.unattended, true);
    if (dwMessage == ModemLine::LINE_CALLSTATE && dwParam1 == ModemLine::LINECALLSTATE_OFFERING) {
        line_.handles.call = hDevice;
        ringsOfCall_ = 0;
        status(QStringLiteral("First Ring "));
        gWakePending_ = true;
    } else if (dwMessage == ModemLine::LINE_CALLSTATE && dwParam1 == ModemLine::LINECALLSTATE_IDLE) {
        callOver();
    } else if (dwMessage == ModemLine::LINE_CLOSE) {
        LineMonitor(2);
    } else if (dwMessage == ModemLine::LINE_LINEDEVSTATE && dwParam1 == ModemLine::LINEDEVSTATE_RINGING) {
        ringsOfCall_ = dwParam3;
    }
    if (dwParam3 == 3) {
        // The third ring: a real call, not a wake-up.
        status(QStringLiteral("Start Fax!"));
        gWakePending_ = false;
    }
}

}  // namespace torvex
