#include "scheduler/connection/dialup_connection.h"

#include "common/telvane_info.h"
#include "scheduler/account/account_service.h"
#include "scheduler/account/ip_lookup.h"
#include "scheduler/core/scheduler_state.h"
#include "scheduler/core/scheduler_view.h"
#include "scheduler/core/status_bar.h"
#include "scheduler/core/timer_wait.h"
#include "scheduler/line/status_lines.h"

namespace torvex {

DialUpConnection::DialUpConnection(SchedulerView& view, SchedulerState& state, StatusBar& status,
                                   QTimer& timer2, ServiceAccount& account)
    : view_(view), state_(state), status_(status), timer2_(timer2), account_(account)
{
    connect(&dialer_, &Dialer::connected, this,
            [this] { PrependStatusLine(view_, QStringLiteral("Socket Connected ")); });
    connect(&dialer_, &Dialer::disconnected, this,
            [this] { PrependStatusLine(view_, QStringLiteral("Socket Disconnected")); });
}

// The settings are read after the parts are made: the entry to watch is
// taken from them on first use.
void DialUpConnection::start()
{
    if (started_)
        return;
    started_ = true;
    if (dialer_.PhoneEntry().isEmpty())
        dialer_.setPhoneEntry(state_.info.DUN_Name);
    dialer_.refresh();
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

void DialUpConnection::setCurrentEntry(const QString& entry)
{
    started_ = true;
    dialer_.setPhoneEntry(entry);
    dialer_.refresh();
}

bool DialUpConnection::IsDialUpConnected()
{
    start();
    if (dialer_.Connected())
        return true;
    status_.showNow(QStringLiteral(" "), QStringLiteral("Dialling Internet Service Provider"));
    PrependStatusLine(view_, QStringLiteral("Dial out connection ") + state_.info.DUN_Name);
    if (dialer_.PhoneEntry().isEmpty())
        dialer_.setPhoneEntry(state_.info.DUN_Name);
    dialer_.Connect();

    bool up = false;
    for (int period = 0; period < kPeriods && !up; ++period)
        up = waitOnTimer(timer2_, kPeriodMs, [this] { return dialer_.Connected(); });
    if (!up)
        return false;  // the dial is left to run its course
    waitOnTimer(timer2_, kSettleMs);

    // The address found is not wanted: the look-up makes the new link's
    // local address the current one.
    IpLookup lookup(state_.gLocalIPAddr);
    lookup.CreateSocket();
    (void)lookup.ResolveIPAddress(readTorvexKey(QString::fromLatin1(kDialUpLookupHostKey),
                                                QString::fromLatin1(kDefaultDialUpLookupHost)));
    view_.setText(Control::Text8, state_.gLocalIPAddr);
    return true;
}

void DialUpConnection::DisConnectDialUp()
{
    if (!state_.gLocalIPAddr.isEmpty()) {
        state_.gLocalIPAddr.clear();
        view_.setText(Control::Text8, QString());
        account_.reporting.updateLocalIPAddress();
        if (account_.state().gHTTPOK)
            account_.reporting.SavePublicIPAddress();
    }
    view_.setChecked(Control::Check12, false);
    dialer_.HangUp();
}

}  // namespace torvex
