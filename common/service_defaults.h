#pragma once

namespace torvex {

// Host names of the fax service used where a setting or the account file
// names none.
inline constexpr auto kServiceMailDomain = "torvex.net";
inline constexpr auto kServiceSecondaryMailDomain = "torvex.org";
inline constexpr auto kServiceWebHost = "www.torvex.net";
inline constexpr auto kServiceHelpLocation = "www.torvex.net/help";
// Where users report a registration they believe is wrong.
inline constexpr auto kServiceSupportAddress = "support@torvex.net";

// The section both programs keep their settings and hand-over keys in.
inline constexpr auto kTorvexSection = "TORVEX";

}  // namespace torvex
