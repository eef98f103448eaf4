#pragma once

class QWidget;

namespace torvex {

// Centres a window a little above the middle of its screen (CNTRFORM): top =
// (screen height x 0.85) / 2 - window height / 2, left = screen width / 2 -
// window width / 2.
void CNTRFORM(QWidget& window);

// Centres the window, puts its top edge near the top of the screen and
// shows it.
void placeAndShow(QWidget& window);

}  // namespace torvex
