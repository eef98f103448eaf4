#include "scheduler/connection/connection_page.h"

#include "platform/desktop/message_box.h"
#include "scheduler/account/account_service.h"
#include "scheduler/connection/connection_choice.h"
#include "scheduler/connection/dialup_connection.h"
#include "scheduler/core/program_title.h"
#include "scheduler/core/scheduler_state.h"

namespace torvex {

bool ConnectionPage::clicked(Control control)
{
    switch (control) {
    case Control::Check1: Check1_Click(); return true;
    case Control::Option1:
        if (view_.isChecked(Control::Option1))
            Option1_Click();
        return true;
    case Control::Option2:
        if (view_.isChecked(Control::Option2))
            Option2_Click();
        return true;
    case Control::Combo1: Combo1_Click(); return true;
    default: return false;
    }
}

void ConnectionPage::Check1_Click()
{
    if (state_.flgLoading)
        return;
    if (view_.isChecked(Control::Option2))
        state_.gLocalIPAddr = view_.text(Control::Text21);
}

void ConnectionPage::Option1_Click()
{
    if (state_.flgLoading)
        return;
    state_.info.Modem_Connect = true;
    if (view_.entries(Control::Combo1).isEmpty()) {
        boxes_.beep();
        boxes_.show(QStringLiteral("Please use 'MyComputer | Dial-Up Networking' to create a "
                                   "connection profile."),
                    programTitle(), MsgButtons::Ok, MsgIcon::None);
        view_.setChecked(Control::Option1, false);
        return;
    }
    if (view_.currentIndex(Control::Combo1) < 0)
        view_.setCurrentIndex(Control::Combo1, 0);
    resetConnectInfo(view_, true);
    state_.gLocalIPAddr = view_.text(Control::Text8);
    if (dialUp_.connected())
        account_.reporting.updateLocalIPAddress();
}

void ConnectionPage::Option2_Click()
{
    if (state_.flgLoading)
        return;
    state_.info.Modem_Connect = false;
    resetConnectInfo(view_, false);
    state_.gLocalIPAddr = view_.text(Control::Text21);
    account_.reporting.updateLocalIPAddress();
}

void ConnectionPage::Combo1_Click()
{
    const QString chosen = view_.text(Control::Combo1);
    state_.info.DUN_Name = chosen;
    if (dialUp_.currentEntry() != chosen)
        dialUp_.setCurrentEntry(chosen);
    view_.setText(Control::Text18, dialUp_.statusText());
}

}  // namespace torvex
