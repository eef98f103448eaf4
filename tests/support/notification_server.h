#pragma once

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace torvex::test {

// A desktop notification service of our own (org.freedesktop.Notifications)
// on the session bus the test runs in (dbus-run-session), on a connection
// of its own: records every notification it is sent.
class NotificationServer final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Received {
        QString appName;
        uint replacesId = 0;
        QString icon;
        QString summary;
        QString body;
        QVariantMap hints;
    };

    NotificationServer()
        : bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("torvex-test-notifications")))
    {
    }
    ~NotificationServer() override
    {
        bus_.unregisterService(service());
        QDBusConnection::disconnectFromBus(bus_.name());
    }

    // Takes the service's name; false without a session bus or when
    // another service has it.
    bool start()
    {
        return bus_.isConnected()
            && bus_.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                   QDBusConnection::ExportAllSlots)
            && bus_.registerService(service());
    }
    [[nodiscard]] const QList<Received>& received() const { return received_; }

public Q_SLOTS:
    uint Notify(const QString& appName, uint replacesId, const QString& icon, const QString& summary,
                const QString& body, const QStringList&, const QVariantMap& hints, int)
    {
        received_.push_back({appName, replacesId, icon, summary, body, hints});
        return replacesId != 0 ? replacesId : uint(received_.size());
    }

private:
    static QString service() { return QStringLiteral("org.freedesktop.Notifications"); }

    QDBusConnection bus_;
    QList<Received> received_;
};

}  // namespace torvex::test
