#include "line_monitor.h"

#include "common/telvane_info.h"
#include "line_error_text.h"
#include "line_monitor_status.h"
#include "main_form.h"
#include "platform/desktop/message_box.h"
#include "platform/modem/modem_line_probe.h"
#include "platform/desktop/time_scale.h"
#include "print_launcher.h"
#include "schedule_engine.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTimer>

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

TelephoneLineMonitor::TelephoneLineMonitor(MainForm& form) : form_(form)
{
    connect(&line_, &ModemLine::lineCallback, this, &TelephoneLineMonitor::Tapiline1_LineCallback);
    connect(form_.controls().Timer3, &QTimer::timeout, this, &TelephoneLineMonitor::onTimer3);
    runWatch_.setSingleShot(true);
    connect(&runWatch_, &QTimer::timeout, this, &TelephoneLineMonitor::reopenAfterCall);
}

void TelephoneLineMonitor::status(const QString& text)
{
    PrependStatusLine(*form_.controls().txtStatus, text);
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
        form_.boxes().show(QStringLiteral("Unable to Start TAPI!"), MainForm::title(),
                           MsgButtons::Ok, MsgIcon::Critical);
    for (qint32 device = 0; device < line_.numDevices(); ++device) {
        qint32 version = 0;
        line_.lineNegotiateAPIVersion(device, kLowApiVersion, kHighApiVersion, version);
    }
}

void TelephoneLineMonitor::TapiGetDevCaps()
{
    QListWidget* lines = form_.controls().lstLines;
    for (qint32 device = 0; device < line_.numDevices(); ++device) {
        QString name;
        const qint32 result = line_.lineGetDevCaps(device, name);
        // An error line keeps list indexes equal to device identifiers.
        lines->addItem(result < 0 ? QStringLiteral("<<<ERROR>>> DevCaps...") + LineErrorText(result)
                                  : name);
    }
}

void TelephoneLineMonitor::LineMonitor(int index)
{
    if (form_.state().info.gMemberStatus < QLatin1String("2"))
        return;
    FormControls& c = form_.controls();
    if (index == 0) {
        // No modem configured or found: nothing to watch, nothing to say.
        if (c.lstLines->count() == 0)
            return;
        if (c.lstLines->currentRow() < 0) {
            form_.boxes().show(QStringLiteral("Select a line first!"), MainForm::title(),
                               MsgButtons::Ok, MsgIcon::Information);
            return;
        }
        c.txtStatus->clear();
        const qint32 result = line_.lineOpen(c.lstLines->currentRow(),
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
    if (form_.controls().Option2->isChecked() && form_.launcher().running()) {
        runWatch_.start(scaledMs(kRunWatchMs));
        return;
    }
    reopenPending_ = true;
    QTimer* timer3 = form_.controls().Timer3;
    timer3->setInterval(scaledMs(kReopenWaitMs));
    timer3->start();
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
    FormControls& c = form_.controls();
    SchedulerState& s = form_.state();
    line_.lineDeallocateCall();
    line_.handles.call = 0;
    if (gWakePending_) {
        status(QStringLiteral("Wake Up!"));
        LineMonitor(2);
        form_.setStatusText(form_.schedule().myDateTime() + QStringLiteral("   ")
                            + QStringLiteral("Wake-Up! Retrieving TORVEXes for ")
                            + s.info.Torvex_Addr.toUpper());
        gWakePending_ = false;
        if (c.Command4->isEnabled()) {
            form_.launcher().shellIt(QStringLiteral("3"));
            if (c.Text9->text().isEmpty())
                c.Text9->setText(QStringLiteral("0"));
            s.countdown = c.Text9->text().trimmed().toInt();
            c.Text19->setText(form_.schedule().GetNextMinutes());
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
    const AttendanceScope unattended = form_.attendance(true);
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
