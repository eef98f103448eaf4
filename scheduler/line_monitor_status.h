#pragma once

#include <QString>

class QPlainTextEdit;

namespace torvex {

// The "Line State" box shows at most this many lines: a resident scheduler
// adds a few on every dial, and nothing else would ever empty it.
inline constexpr int kStatusLineLimit = 1000;

// The box's text becomes text, a line end and the box's previous text
// (progress lines, newest first); lines beyond kStatusLineLimit are dropped
// from the bottom.
void PrependStatusLine(QPlainTextEdit& box, const QString& text);

}  // namespace torvex
