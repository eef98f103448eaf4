#include "account_service.h"

#include "account_dates.h"

namespace torvex {

ServiceAccount::ServiceAccount(AccountContext& context)
    : lookup(context.state.gLocalIPAddr),
      protocol(context, http, lookup),
      profile(context),
      member(context, protocol),
      reporting(context, protocol),
      ctx_(context)
{
}

void ServiceAccount::startupAccountSteps()
{
    const TelvaneInfo& info = ctx_.info;
    if (info.gACDateStamp.isEmpty() || info.gUserProfileStamp.isEmpty())
        return;
    if (memberCheckDue(info.gUserProfileStamp, ctx_.today())) {
        (void)member.CheckMemberStatus();
        reporting.UpdatedbLocalIPAddress();
    }
    if (ctx_.state.gflgSendIPAddressUpdate) {
        protocol.SaveAccountInfo(2, false);
        if (ctx_.state.gHTTPOK)
            reporting.SavePublicIPAddress();
    }
    member.ResetGroupFunctions();
}

void ServiceAccount::retrievalAccountSteps()
{
    if (ctx_.info.gUserProfileStamp.isEmpty())
        return;
    if (memberCheckDue(ctx_.info.gUserProfileStamp, ctx_.today()) && member.CheckMemberStatus())
        member.ResetGroupFunctions();
    reporting.UpdatedbLocalIPAddress();
}

void ServiceAccount::Command6_Click(const std::function<bool()>& isConnection)
{
    if (!isConnection())
        return;
    ctx_.view.setBusy(true);
    const bool registering =
        ctx_.view.text(QStringLiteral("Command6")).contains(QLatin1String("Set"), Qt::CaseInsensitive);
    protocol.SaveAccountInfo(registering ? 1 : 2, true);
    if (ctx_.state.gHTTPOK)
        reporting.SavePublicIPAddress();
    ctx_.view.setBusy(false);
}

}  // namespace torvex
