#pragma once

#include <QString>

namespace torvex {

// A profile value as the account requests carry it: TabsToHttp's escape,
// and besides "&", "#" and "+" percent-encoded (%26, %23, %2B), which would
// otherwise end the value, cut the query off as a fragment, or arrive as a
// blank.
[[nodiscard]] QString requestValue(const QString& text);

// The password as password1 and password2 carry it: requestValue's escape,
// but an apostrophe is kept (as %27), since a password must arrive exactly
// as typed.
[[nodiscard]] QString passwordValue(const QString& password);

// [MYINFO] keeps the profile escaped as it was sent; this is the text to
// show for a stored value. The escape of an empty field shows as empty.
[[nodiscard]] QString storedProfileText(const QString& stored);

}  // namespace torvex
