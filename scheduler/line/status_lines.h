#pragma once

#include <QString>

namespace torvex {

class SchedulerView;

// The "Line State" box shows at most this many lines: a resident scheduler
// adds a few on every dial, and nothing else would ever empty it.
inline constexpr int kStatusLineLimit = 1000;

// The box text with text, a line end and the box's previous text (progress
// lines, newest first); lines beyond kStatusLineLimit are dropped from the
// bottom.
[[nodiscard]] QString prependedStatusLine(const QString& box, const QString& text);

// The Line State box (txtStatus) becomes prependedStatusLine of itself.
void PrependStatusLine(SchedulerView& view, const QString& text);

}  // namespace torvex
