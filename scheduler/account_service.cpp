#include "account_service.h"

namespace torvex {

ServiceAccount::ServiceAccount(AccountContext& context)
    : lookup(context.sched.gLocalIPAddr),
      protocol(context, http, lookup),
      profile(context),
      member(context, protocol),
      reporting(context, protocol),
      ctx_(context)
{
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
