#pragma once

#include <QDBusConnection>
#include <QMutex>
#include <QObject>
#include <QStringList>
#include <QThread>

#include <memory>

namespace torvex::test {

// The StatusNotifierWatcher (org.kde.StatusNotifierWatcher) of a desktop's
// tray, with one host; answers in a thread of its own, since Qt asks it
// with blocking calls from the application's thread.
class StatusNotifierWatcher final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
public:
    [[nodiscard]] bool isHostRegistered() const { return true; }
    [[nodiscard]] int protocolVersion() const { return 0; }
    [[nodiscard]] QStringList items() const;

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString& service);
    void RegisterStatusNotifierHost(const QString& service);

private:
    mutable QMutex mutex_;
    QStringList items_;
};

// A desktop's tray of our own for the session bus the test runs in, on a
// connection of its own, so Qt's tray icons appear in it (as
// StatusNotifier items) under any X server.
class TrayHost {
public:
    TrayHost();
    ~TrayHost();

    // Takes the watcher's name; false without a session bus.
    bool start();
    // The items registered so far.
    [[nodiscard]] QStringList items() const { return watcher_->items(); }

private:
    QDBusConnection bus_;
    QThread thread_;
    std::unique_ptr<StatusNotifierWatcher> watcher_;
};

}  // namespace torvex::test
