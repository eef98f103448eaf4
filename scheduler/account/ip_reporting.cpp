#include "scheduler/account/ip_reporting.h"

#include "scheduler/account/account_protocol.h"

namespace torvex {

void IpReporting::report()
{
    protocol_.SaveAccountInfo(2, false);
    if (ctx_.state.gHTTPOK)
        SavePublicIPAddress();
}

void IpReporting::UpdatedbLocalIPAddress()
{
    AccountState& st = ctx_.state;
    if (ctx_.info().gMemberStatus > QLatin1String("3"))
        ctx_.sched.gLocalIPAddr = ctx_.view.text(ctx_.info().Modem_Connect ? Control::Text8 : Control::Text21);
    else
        ctx_.sched.gLocalIPAddr = QStringLiteral("0");
    if (ctx_.sched.gLocalIPAddr != st.gPublicIPAddr)
        report();
}

void IpReporting::updateLocalIPAddress()
{
    if (ctx_.info().gMemberStatus < QLatin1String("4") || ctx_.info().gACDateStamp.isEmpty())
        return;
    if (ctx_.view.isChecked(Control::Check1))
        ctx_.sched.gLocalIPAddr.clear();
    if (ctx_.sched.gLocalIPAddr != ctx_.info().gPubIPAddr)
        report();
}

void IpReporting::SavePublicIPAddress()
{
    ctx_.info().gPubIPAddr = ctx_.sched.gLocalIPAddr;
    writeTorvexKey(QStringLiteral("Public_IP_Addr"), ctx_.info().gPubIPAddr);
}

}  // namespace torvex
