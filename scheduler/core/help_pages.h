#pragma once

#include <QString>

namespace torvex {

// The page a help button (0 "Technical FAQ", 1 "Basic SetUp ", 2 "Relay",
// 3 "Forwarding") opens: under "http://" + location when help_location
// holds a ".", else in that folder of the program folder (the program
// folder itself for an empty location or a lone slash); empty for another
// index.
[[nodiscard]] QString helpPageAddress(const QString& helpLocation, const QString& appPath, int index);

// "TORVEX Home": the service's web site.
[[nodiscard]] QString homePageAddress(const QString& domain);

}  // namespace torvex
