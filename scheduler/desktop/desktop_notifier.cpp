#include "desktop_notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

#include <utility>

namespace torvex {
namespace {

// The "urgency" hint freedesktop notification servers take: 1 normal, 2 critical.
constexpr uchar kNormal = 1;
constexpr uchar kCritical = 2;
constexpr int kServerDefaultTimeout = -1;

}  // namespace

DesktopNotifier::DesktopNotifier(QDBusConnection bus, QObject* parent) : QObject(parent), bus_(std::move(bus)) {}

void DesktopNotifier::show(const Notice& notice)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"),
                                                       QStringLiteral("/org/freedesktop/Notifications"),
                                                       QStringLiteral("org.freedesktop.Notifications"),
                                                       QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("urgency"), QVariant::fromValue(notice.urgent ? kCritical : kNormal)},
                            {QStringLiteral("desktop-entry"), QStringLiteral("vxschedule")}};
    call << QStringLiteral("TORVEX Print Scheduler") << lastId_
         << QString::fromLatin1(notice.urgent ? "dialog-warning" : "printer") << notice.summary << notice.body
         << QStringList() << hints << kServerDefaultTimeout;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
        const QDBusPendingReply<uint> reply = *done;
        done->deleteLater();
        if (reply.isValid())
            lastId_ = reply.value();
        Q_EMIT shown(reply.isValid() ? reply.value() : 0);
    });
}

}  // namespace torvex
