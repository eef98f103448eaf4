#include "scheduler/settings/page_switches.h"

#include "scheduler/core/scheduler_state.h"
#include "scheduler/schedule/schedule_engine.h"
#include "scheduler/settings/forwarding_rows.h"

namespace torvex {

bool PageSwitches::clicked(Control control)
{
    switch (control) {
    case Control::Check3: Check3_Click(); return true;
    case Control::Check8: Check8_Click(); return true;
    case Control::Check10: Check10_Click(); return true;
    case Control::Check11: Check11_Click(); return true;
    case Control::Check16: forwardingRow_Click(0); return true;
    case Control::Check17: forwardingRow_Click(1); return true;
    case Control::Check18: forwardingRow_Click(2); return true;
    default: return false;
    }
}

void PageSwitches::Check3_Click()
{
    const bool on = view_.isChecked(Control::Check3);
    for (const Control field : {Control::Text9, Control::Text10, Control::Text11, Control::Text15})
        view_.setEnabled(field, on);
    view_.setText(Control::Text19, on ? schedule_.GetNextMinutes() : QString());
    schedule_.ResetStatusBar();
}

void PageSwitches::Check8_Click()
{
    view_.setEnabled(Control::Text12, view_.isChecked(Control::Check8));
    schedule_.ResetStatusBar();
}

void PageSwitches::Check10_Click()
{
    state_.info.Print_Error_Info = view_.isChecked(Control::Check10);
}

void PageSwitches::Check11_Click()
{
    state_.info.Print_Simple_Header = view_.isChecked(Control::Check11);
}

void PageSwitches::forwardingRow_Click(int row)
{
    const ForwardingRow& r = kForwardingRows.at(std::size_t(row));
    if (view_.isChecked(r.box) && !view_.isChecked(r.addressOption) && !view_.isChecked(r.faxOption))
        view_.setChecked(r.addressOption, true);
}

void PageSwitches::showPasswordEntries(bool flg)
{
    for (const Control control : {Control::lblPassword, Control::lblRePassword, Control::Text13,
                                  Control::Text14, Control::Check13})
        view_.setVisible(control, flg);
}

}  // namespace torvex
