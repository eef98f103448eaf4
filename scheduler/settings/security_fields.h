#pragma once

#include "common/mail_security.h"
#include "scheduler/core/scheduler_view.h"

#include <algorithm>

namespace torvex {

// The security boxes of the mail page (Combo3-5) list the choices in
// MailSecurity's order.

// Shows a security setting's value; an empty or unknown value shows as its
// meaning (none, or STARTTLS required).
inline void showSecurity(SchedulerView& view, Control box, const QString& value)
{
    view.setCurrentIndex(box, int(mailSecurity(value)));
}

// The setting's value of the choice a security box shows.
[[nodiscard]] inline QString securityShown(const SchedulerView& view, Control box)
{
    return mailSecurityValue(MailSecurity(std::max(0, view.currentIndex(box))));
}

}  // namespace torvex
