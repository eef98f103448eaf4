#include "tray_icon.h"

#include <QPainter>
#include <QPixmap>

namespace torvex {

QIcon trayIconFor(TrayActivity activity)
{
    QIcon icon;
    for (const int size : {16, 22, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal u = size / 16.0;
        // A sheet of paper with lines of text.
        p.setPen(QPen(QColor(60, 60, 60), u));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3 * u, 1.5 * u, 10 * u, 13 * u));
        for (int line = 0; line < 4; ++line)
            p.drawLine(QPointF(5 * u, (4.5 + 2.5 * line) * u), QPointF(11 * u, (4.5 + 2.5 * line) * u));
        if (activity == TrayActivity::Retrieving) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(30, 130, 60));
            p.drawEllipse(QRectF(8 * u, 8 * u, 8 * u, 8 * u));
            p.setPen(QPen(Qt::white, 1.5 * u));
            p.drawLine(QPointF(12 * u, 9.5 * u), QPointF(12 * u, 14 * u));
            p.drawLine(QPointF(10 * u, 12 * u), QPointF(12 * u, 14 * u));
            p.drawLine(QPointF(14 * u, 12 * u), QPointF(12 * u, 14 * u));
        } else if (activity == TrayActivity::Error) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(200, 30, 30));
            p.drawEllipse(QRectF(7 * u, 7 * u, 9 * u, 9 * u));
            p.setPen(Qt::white);
            QFont font = p.font();
            font.setBold(true);
            font.setPixelSize(int(8 * u));
            p.setFont(font);
            p.drawText(QRectF(7 * u, 7 * u, 9 * u, 9 * u), Qt::AlignCenter, QStringLiteral("!"));
        }
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

TrayIcon::TrayIcon(QObject* parent) : QObject(parent)
{
    menu_.setObjectName(QStringLiteral("TrayMenu"));
    menu_.setAccessibleName(QStringLiteral("TORVEX Print Scheduler"));
    getNow_ = menu_.addAction(QStringLiteral("&Get TORVEXes NOW"), this, &TrayIcon::getNowRequested);
    menu_.addAction(QStringLiteral("&Show window"), this, &TrayIcon::showWindowRequested);
    menu_.addAction(QStringLiteral("Fax &Log..."), this, &TrayIcon::faxLogRequested);
    menu_.addSeparator();
    menu_.addAction(QStringLiteral("E&xit"), this, &TrayIcon::exitRequested);
    icon_.setContextMenu(&menu_);
    connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            Q_EMIT showWindowRequested();
    });
}

bool TrayIcon::available()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::show(const TrayState& state)
{
    if (!shownOnce_ || state.activity != state_.activity)
        icon_.setIcon(trayIconFor(state.activity));
    icon_.setToolTip(state.toolTip);
    state_ = state;
    if (!shownOnce_) {
        icon_.show();
        shownOnce_ = true;
    }
}

void TrayIcon::setGetNowEnabled(bool enabled)
{
    getNow_->setEnabled(enabled);
}

}  // namespace torvex
