#include "dialup_connection.h"

#include "common/telvane_info.h"
#include "ip_lookup.h"
#include "line_monitor_status.h"
#include "main_form.h"
#include "platform/desktop/time_scale.h"
#include "schedule_engine.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

namespace torvex {

DialUpConnection::DialUpConnection(MainForm& form) : form_(form)
{
    connect(&dialer_, &Dialer::connected, this, [this] { status(QStringLiteral("Socket Connected ")); });
    connect(&dialer_, &Dialer::disconnected, this, [this] { status(QStringLiteral("Socket Disconnected")); });
}

// The settings are read after the window is made: the entry to watch is
// taken from them on first use.
void DialUpConnection::start()
{
    if (started_)
        return;
    started_ = true;
    if (dialer_.PhoneEntry().isEmpty())
        dialer_.setPhoneEntry(form_.state().info.DUN_Name);
    dialer_.refresh();
}

void DialUpConnection::status(const QString& text)
{
    PrependStatusLine(*form_.controls().txtStatus, text);
}

bool DialUpConnection::installed()
{
    return dialer_.isInstalled();
}

QStringList DialUpConnection::phoneBookEntries()
{
    return dialer_.phoneBookEntries();
}

bool DialUpConnection::connected()
{
    start();
    return dialer_.Connected();
}

QString DialUpConnection::statusText()
{
    start();
    return dialer_.statusText();
}

QString DialUpConnection::currentEntry()
{
    return dialer_.PhoneEntry();
}

void DialUpConnection::setCurrentEntry(const QString& entry)
{
    started_ = true;
    dialer_.setPhoneEntry(entry);
    dialer_.refresh();
}

bool DialUpConnection::waitOnTimer2(int ms, bool watchLink)
{
    QTimer* timer2 = form_.controls().Timer2;
    timer2->setInterval(scaledMs(ms));
    timer2->start();
    while (timer2->isActive()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (watchLink && dialer_.Connected())
            return true;
    }
    return false;
}

bool DialUpConnection::IsDialUpConnected()
{
    start();
    if (dialer_.Connected())
        return true;
    SchedulerState& s = form_.state();
    form_.setStatusText(form_.schedule().myDateTime() + QStringLiteral(" Dialling Internet Service Provider"));
    status(QStringLiteral("Dial out connection ") + s.info.DUN_Name);
    if (dialer_.PhoneEntry().isEmpty())
        dialer_.setPhoneEntry(s.info.DUN_Name);
    dialer_.Connect();

    bool up = false;
    for (int period = 0; period < kPeriods && !up; ++period)
        up = waitOnTimer2(kPeriodMs, true);
    if (!up)
        return false;  // the dial is left to run its course
    waitOnTimer2(kSettleMs, false);

    // The address found is not wanted: the look-up makes the new link's
    // local address the current one.
    IpLookup lookup(s.gLocalIPAddr);
    lookup.CreateSocket();
    (void)lookup.ResolveIPAddress(
        readTorvexKey(QString::fromLatin1(kDialUpLookupHostKey), QString::fromLatin1(kDefaultDialUpLookupHost)));
    form_.controls().Text8->setText(s.gLocalIPAddr);
    return true;
}

void DialUpConnection::DisConnectDialUp()
{
    SchedulerState& s = form_.state();
    FormControls& c = form_.controls();
    if (!s.gLocalIPAddr.isEmpty()) {
        s.gLocalIPAddr.clear();
        c.Text8->clear();
        form_.account().updateLocalIPAddress();
        if (form_.account().gHTTPOK())
            form_.account().SavePublicIPAddress();
    }
    c.Check12->setChecked(false);
    dialer_.HangUp();
}

}  // namespace torvex
