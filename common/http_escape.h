#pragma once

#include <QString>

namespace torvex {

// Escapes a value for the query string of an account request: "'" is
// dropped, "%" becomes "%%", LF "%0A", CR "%0D", blank "%20"; everything
// else is copied. An empty text gives "%20".
[[nodiscard]] QString TabsToHttp(const QString& text);

// The reverse for reply values: "%%", "%0A", "%0D" and "%20" are decoded
// (upper-case hex only); any other "%" is copied as it stands.
[[nodiscard]] QString HttpToTabs(const QString& text);

}  // namespace torvex
