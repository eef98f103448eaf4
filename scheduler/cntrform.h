#pragma once

class QWidget;

namespace torvex {

// Centres a window a little above the middle of its screen: top = (screen
// height x 0.85) / 2 - window height / 2, left = screen width / 2 - window
// width / 2.
void CNTRFORM(QWidget& window);

}  // namespace torvex
