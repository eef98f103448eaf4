#include "tray_host.h"

#include <QMutexLocker>

namespace torvex::test {
namespace {

const QString kService = QStringLiteral("org.kde.StatusNotifierWatcher");

}  // namespace

QStringList StatusNotifierWatcher::items() const
{
    const QMutexLocker lock(&mutex_);
    return items_;
}

void StatusNotifierWatcher::RegisterStatusNotifierItem(const QString& service)
{
    const QMutexLocker lock(&mutex_);
    items_ << service;
}

void StatusNotifierWatcher::RegisterStatusNotifierHost(const QString&) {}

TrayHost::TrayHost()
    : bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("torvex-test-tray"))),
      watcher_(std::make_unique<StatusNotifierWatcher>())
{
    watcher_->moveToThread(&thread_);
    thread_.start();
}

TrayHost::~TrayHost()
{
    bus_.unregisterService(kService);
    bus_.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
    QDBusConnection::disconnectFromBus(bus_.name());
    thread_.quit();
    thread_.wait();
}

bool TrayHost::start()
{
    if (!bus_.isConnected())
        return false;
    // Registered from the watcher's own thread, where it answers.
    bool registered = false;
    QMetaObject::invokeMethod(
        watcher_.get(),
        [this, &registered] {
            registered = bus_.registerObject(QStringLiteral("/StatusNotifierWatcher"), watcher_.get(),
                                             QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties);
        },
        Qt::BlockingQueuedConnection);
    return registered && bus_.registerService(kService);
}

}  // namespace torvex::test
