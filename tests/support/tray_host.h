#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

namespace torvex::test {

// A desktop's tray of our own for the session bus the test runs in: the
// StatusNotifierWatcher (org.kde.StatusNotifierWatcher) with one host, on a
// connection of its own, so Qt's tray icons appear in it (as StatusNotifier
// items) under any X server. Records the items registered.
class TrayHost final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
public:
    TrayHost();
    ~TrayHost() override;

    // Takes the watcher's name; false without a session bus.
    bool start();

    [[nodiscard]] bool isHostRegistered() const { return true; }
    [[nodiscard]] int protocolVersion() const { return 0; }
    [[nodiscard]] QStringList items() const { return items_; }

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString& service);
    void RegisterStatusNotifierHost(const QString& service);

Q_SIGNALS:
    void StatusNotifierItemRegistered(const QString& service);

private:
    QDBusConnection bus_;
    QStringList items_;
};

}  // namespace torvex::test
