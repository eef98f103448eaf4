#pragma once

#include <chrono>

namespace torvex {

// Every interval and wait the programs specify is divided by
// TORVEX_TIME_SCALE when that variable holds a number greater than 1, so
// tests can run a 60-second tick in 100 ms. Nothing else changes under it.
[[nodiscard]] double timeScale();

// The interval in milliseconds after scaling; never below 1 ms.
[[nodiscard]] int scaledMs(int milliseconds);

}  // namespace torvex
