#pragma once

#include <QStringList>

namespace torvex {

// The serial ports that may hold a modem, in the order they are listed:
// /dev/ttyACM*, /dev/ttyUSB*, then the /dev/ttyS* ports that have a UART
// behind them, each group in numeric order.
[[nodiscard]] QStringList candidateModemPorts();

// Those of the ports that answer "AT" with "OK" within timeoutMs each.
[[nodiscard]] QStringList findModems(const QStringList& ports, int timeoutMs);

// The modems of this machine: the candidate ports that answer.
[[nodiscard]] QStringList installedModems();

}  // namespace torvex
