#include "startup.h"

#include "clock.h"
#include "cntrform.h"
#include "main_form.h"
#include "platform/desktop/single_instance.h"
#include "system_date.h"

#include <QScreen>

namespace torvex {

bool IsPreviousInstance(const SingleInstance& instance)
{
    if (!instance.isPreviousInstance())
        return false;
    instance.activatePrevious();
    return true;
}

void runStartupAccountSteps(MainForm& form)
{
    const TelvaneInfo& info = form.state().info;
    if (info.gACDateStamp.isEmpty() || info.gUserProfileStamp.isEmpty())
        return;
    AccountHooks& account = form.account();
    if (moreDaysThan(info.gUserProfileStamp, form.clock().now().date(), 30)) {
        account.CheckMemberStatus();
        account.UpdatedbLocalIPAddress();
    }
    if (form.state().gflgSendIPAddressUpdate) {
        account.SaveAccountInfo(2, false);
        if (account.gHTTPOK())
            account.SavePublicIPAddress();
    }
    account.ResetGroupFunctions();
}

void placeAndShow(MainForm& form)
{
    form.adjustSize();
    CNTRFORM(form);
    // 200 twips from the top of the screen.
    form.move(form.x(), form.screen() ? form.screen()->geometry().y() + 13 : 13);
    form.show();
}

}  // namespace torvex
