#pragma once

#include "scheduler/core/scheduler_view.h"

#include <array>

namespace torvex {

// One row of the Forwarding page: TORVEXes, Regular Faxes, EMail.
struct ForwardingRow {
    const char* name;  // as the messages name the row
    Control box;
    Control addressOption;  // "TORVEX or EMail Address" (kind 1)
    Control addressField;
    Control faxOption;  // "Global Fax Number" (kind 2)
    Control faxField;
};

inline constexpr std::array<ForwardingRow, 3> kForwardingRows{{
    {"TORVEX", Control::Check16, Control::Option3, Control::Text23, Control::Option4, Control::Text24},
    {"Regular Fax", Control::Check17, Control::Option5, Control::Text25, Control::Option6, Control::Text26},
    {"EMail", Control::Check18, Control::Option7, Control::Text27, Control::Option8, Control::Text28},
}};

}  // namespace torvex
