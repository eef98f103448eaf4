#pragma once

#include "retrieval_notice.h"

#include <QDBusConnection>
#include <QObject>

namespace torvex {

// Shows notices through the desktop's notification service (the
// freedesktop org.freedesktop.Notifications interface on the session bus).
// Never waits for the service: without one, a notice is simply not shown.
// Each notice replaces the one before, so at most one is on screen.
class DesktopNotifier final : public QObject {
    Q_OBJECT
public:
    explicit DesktopNotifier(QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);

    void show(const Notice& notice);

Q_SIGNALS:
    // The service took the notice (its id) or refused it (0).
    void shown(uint id);

private:
    QDBusConnection bus_;
    uint lastId_ = 0;
};

}  // namespace torvex
