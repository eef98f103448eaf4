#include "tray_host.h"

namespace torvex::test {
namespace {

const QString kService = QStringLiteral("org.kde.StatusNotifierWatcher");

}  // namespace

TrayHost::TrayHost()
    : bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("torvex-test-tray")))
{
}

TrayHost::~TrayHost()
{
    bus_.unregisterService(kService);
    QDBusConnection::disconnectFromBus(bus_.name());
}

bool TrayHost::start()
{
    return bus_.isConnected()
        && bus_.registerObject(QStringLiteral("/StatusNotifierWatcher"), this,
                               QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties
                                   | QDBusConnection::ExportAllSignals)
        && bus_.registerService(kService);
}

void TrayHost::RegisterStatusNotifierItem(const QString& service)
{
    items_ << service;
    Q_EMIT StatusNotifierItemRegistered(service);
}

void TrayHost::RegisterStatusNotifierHost(const QString&) {}

}  // namespace torvex::test
