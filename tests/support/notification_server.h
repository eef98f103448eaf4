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

    NotificationServer();
    ~NotificationServer() override;

    // Takes the service's name; false without a session bus or when
    // another service has it.
    bool start();
    [[nodiscard]] const QList<Received>& received() const { return received_; }

public Q_SLOTS:
    uint Notify(const QString& appName, uint replacesId, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int timeout);
    QStringList GetCapabilities();
    void CloseNotification(uint id);

private:
    QDBusConnection bus_;
    QList<Received> received_;
};

}  // namespace torvex::test
