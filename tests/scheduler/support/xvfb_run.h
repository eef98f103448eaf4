#pragma once

#include <functional>

namespace torvex::test {

// Starts a private X server (Xvfb, from display firstDisplay up, the first
// free one), runs the tests inside an application on it and stops it again:
// for what only a real X server does (window manager messages, the tray,
// screenshots). Returns the tests' result.
int runUnderXvfb(int firstDisplay, int& argc, char** argv, const std::function<int()>& tests);

}  // namespace torvex::test
