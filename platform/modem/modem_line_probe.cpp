#include "modem_line_probe.h"

#include "modem_line_device.h"

#include <QCollator>
#include <QDir>

#include <algorithm>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace torvex {

namespace {

// The kernel lists ttyS0-ttyS31 whether or not a UART is fitted; an unfitted
// one reports the port type "unknown".
bool hasUart(const QString& path)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    serial_struct info{};
    const bool fitted = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    ::close(fd);
    return fitted;
}

QStringList portsMatching(const QString& pattern)
{
    QStringList names = QDir(QStringLiteral("/dev")).entryList({pattern}, QDir::System);
    QCollator numeric;
    numeric.setNumericMode(true);
    std::sort(names.begin(), names.end(), numeric);
    QStringList paths;
    for (const QString& name : names)
        paths << QStringLiteral("/dev/") + name;
    return paths;
}

}  // namespace

QStringList candidateModemPorts()
{
    QStringList ports = portsMatching(QStringLiteral("ttyACM*"));
    ports << portsMatching(QStringLiteral("ttyUSB*"));
    for (const QString& port : portsMatching(QStringLiteral("ttyS*"))) {
        if (hasUart(port))
            ports << port;
    }
    return ports;
}

QStringList findModems(const QStringList& ports, int timeoutMs)
{
    QStringList modems;
    for (const QString& port : ports) {
        ModemLineDevice device(port);
        if (device.open() == 0 && device.command("AT", timeoutMs) == ModemLineDevice::Reply::Ok)
            modems << port;
    }
    return modems;
}

QStringList installedModems()
{
    // A modem answers "AT" in milliseconds; a bare UART never does.
    constexpr int kProbeTimeoutMs = 700;
    return findModems(candidateModemPorts(), kProbeTimeoutMs);
}

}  // namespace torvex
