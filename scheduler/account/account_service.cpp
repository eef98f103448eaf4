#include "scheduler/account/account_service.h"

#include "scheduler/core/program_title.h"

namespace torvex {

ServiceAccount::ServiceAccount(SchedulerState& sched, SchedulerView& view, StatusBar& status,
                               MessageBoxes& boxes, std::function<QDate()> today,
                               std::function<void()> accountRegistered)
    : ctx_{sched, state_, view, status, boxes, std::move(today), std::move(accountRegistered)},
      lookup(sched.gLocalIPAddr),
      protocol(ctx_, http, lookup),
      profile(ctx_),
      member(ctx_, protocol),
      reporting(ctx_, protocol)
{
}

void ServiceAccount::Command6_Click(const std::function<bool()>& isConnection)
{
    if (!isConnection())
        return;
    const BusyScope hourglass(ctx_.view);
    const bool registering =
        ctx_.view.text(Control::Command6).contains(QLatin1String("Set"), Qt::CaseInsensitive);
    protocol.SaveAccountInfo(registering ? 1 : 2, true);
    if (state_.gHTTPOK)
        reporting.SavePublicIPAddress();
}

void ServiceAccount::Frame15_DblClick()
{
    const QString password = ctx_.view.text(Control::Text13);
    if (password.isEmpty() || password != ctx_.view.text(Control::Text14)) {
        ctx_.boxes.beep();
        ctx_.boxes.show(QStringLiteral("Password error!"), programTitle(), MsgButtons::Ok, MsgIcon::None);
        ctx_.showField(1, Control::Text13);
        return;
    }
    ctx_.info().Password = password;
    if (member.CheckMemberStatus()) {
        member.ResetGroupFunctions();
        reporting.UpdatedbLocalIPAddress();
    }
}

QString ServiceAccount::lookUpLocalIPAddress()
{
    lookup.CreateSocket();
    return ctx_.sched.gLocalIPAddr;
}

}  // namespace torvex
