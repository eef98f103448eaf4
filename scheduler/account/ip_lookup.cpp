#include "scheduler/account/ip_lookup.h"

#include "platform/desktop/time_scale.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkInterface>
#include <QTimer>

#include <limits>

namespace torvex {
namespace {

// The name of the interface holding the default IPv4 route with the lowest
// metric, from the kernel's routing table; empty when there is none.
[[nodiscard]] QString defaultRouteInterface()
{
    QFile routes(QStringLiteral("/proc/net/route"));
    if (!routes.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QString best;
    int bestMetric = std::numeric_limits<int>::max();
    routes.readLine();  // column headings
    while (!routes.atEnd()) {
        const QList<QByteArray> cols = routes.readLine().simplified().split(' ');
        // Iface Destination Gateway Flags RefCnt Use Metric Mask ...
        if (cols.size() < 8 || cols[1] != "00000000" || cols[7] != "00000000")
            continue;
        const int metric = cols[6].toInt();
        if (metric < bestMetric) {
            bestMetric = metric;
            best = QString::fromLatin1(cols[0]);
        }
    }
    return best;
}

[[nodiscard]] QString ipv4Of(const QNetworkInterface& iface)
{
    for (const QNetworkAddressEntry& entry : iface.addressEntries()) {
        if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
            return entry.ip().toString();
    }
    return {};
}

[[nodiscard]] bool isUsable(const QNetworkInterface& iface)
{
    const auto flags = iface.flags();
    return flags.testFlag(QNetworkInterface::IsUp) && flags.testFlag(QNetworkInterface::IsRunning)
        && !flags.testFlag(QNetworkInterface::IsLoopBack);
}

// A blocking look-up in the callers' sense: it returns only with the answer,
// but the window's events keep being handled meanwhile.
[[nodiscard]] QString lookUp(const QString& name)
{
    QHostInfo found;
    bool answered = false;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    const int id = QHostInfo::lookupHost(name, &loop, [&](const QHostInfo& info) {
        found = info;
        answered = true;
        loop.quit();
    });
    timer.start(scaledMs(kLookupTimeoutMs));
    if (!answered)
        loop.exec();
    if (!answered) {
        QHostInfo::abortHostLookup(id);
        return {};
    }
    const QList<QHostAddress> addresses = found.addresses();
    for (const QHostAddress& address : addresses) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            return address.toString();
    }
    return addresses.isEmpty() ? QString() : addresses.first().toString();
}

}  // namespace

bool isDottedAddress(const QString& domain)
{
    for (const QChar c : domain) {
        if (c.unicode() > '9')
            return false;
    }
    return true;
}

QString activeInterfaceAddress()
{
    const QList<QNetworkInterface> all = QNetworkInterface::allInterfaces();
    const QString routed = defaultRouteInterface();
    for (const QNetworkInterface& iface : all) {
        if (iface.name() == routed && isUsable(iface)) {
            const QString address = ipv4Of(iface);
            if (!address.isEmpty())
                return address;
        }
    }
    for (const QNetworkInterface& iface : all) {
        if (!isUsable(iface))
            continue;
        const QString address = ipv4Of(iface);
        if (!address.isEmpty())
            return address;
    }
    return {};
}

void IpLookup::CreateSocket()
{
    gLocalIPAddr_ = activeInterfaceAddress();
}

QString IpLookup::ResolveIPAddress(const QString& domain)
{
    QString result = domain;
    if (!isDottedAddress(domain)) {
        result = lookUp(domain);
        if (result.isEmpty())
            return {};
    }
    gLocalIPAddr_ = activeInterfaceAddress();
    QCoreApplication::processEvents();
    return result;
}

QString GetIPAddressfromDomain(IpLookup& lookup, const QString& domain)
{
    lookup.CreateSocket();
    return lookup.ResolveIPAddress(domain);
}

}  // namespace torvex
