#include "notification_server.h"

namespace torvex::test {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");

}  // namespace

NotificationServer::NotificationServer()
    : bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("torvex-test-notifications")))
{
}

NotificationServer::~NotificationServer()
{
    bus_.unregisterService(kService);
    QDBusConnection::disconnectFromBus(bus_.name());
}

bool NotificationServer::start()
{
    return bus_.isConnected()
        && bus_.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this, QDBusConnection::ExportAllSlots)
        && bus_.registerService(kService);
}

uint NotificationServer::Notify(const QString& appName, uint replacesId, const QString& icon, const QString& summary,
                                const QString& body, const QStringList&, const QVariantMap& hints, int)
{
    received_.push_back({appName, replacesId, icon, summary, body, hints});
    return replacesId != 0 ? replacesId : uint(received_.size());
}

QStringList NotificationServer::GetCapabilities()
{
    return {QStringLiteral("body")};
}

void NotificationServer::CloseNotification(uint) {}

}  // namespace torvex::test
