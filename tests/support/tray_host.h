#pragma once

#include <QDBusConnection>
#include <QMutex>
#include <QMutexLocker>
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
    // What Qt asks before it puts its tray icons there.
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
public:
    [[nodiscard]] bool isHostRegistered() const { return true; }
    [[nodiscard]] QStringList items() const
    {
        const QMutexLocker lock(&mutex_);
        return items_;
    }

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString& service)
    {
        const QMutexLocker lock(&mutex_);
        items_ << service;
    }

private:
    mutable QMutex mutex_;
    QStringList items_;
};

// A desktop's tray of our own for the session bus the test runs in, on a
// connection of its own, so Qt's tray icons appear in it (as
// StatusNotifier items) under any X server.
class TrayHost {
public:
    TrayHost()
        : bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("torvex-test-tray"))),
          watcher_(std::make_unique<StatusNotifierWatcher>())
    {
        watcher_->moveToThread(&thread_);
        thread_.start();
    }
    ~TrayHost()
    {
        bus_.unregisterService(service());
        bus_.unregisterObject(path());
        QDBusConnection::disconnectFromBus(bus_.name());
        thread_.quit();
        thread_.wait();
    }

    // Takes the watcher's name; false without a session bus.
    bool start()
    {
        if (!bus_.isConnected())
            return false;
        // Registered from the watcher's own thread, where it answers.
        bool registered = false;
        QMetaObject::invokeMethod(
            watcher_.get(),
            [this, &registered] {
                registered = bus_.registerObject(path(), watcher_.get(),
                                                 QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties);
            },
            Qt::BlockingQueuedConnection);
        return registered && bus_.registerService(service());
    }
    // The items registered so far.
    [[nodiscard]] QStringList items() const { return watcher_->items(); }

private:
    static QString service() { return QStringLiteral("org.kde.StatusNotifierWatcher"); }
    static QString path() { return QStringLiteral("/StatusNotifierWatcher"); }

    QDBusConnection bus_;
    QThread thread_;
    std::unique_ptr<StatusNotifierWatcher> watcher_;
};

}  // namespace torvex::test
