#include "desktop_presence.h"

#include <QCloseEvent>

#include <utility>

namespace torvex {

DesktopPresence::DesktopPresence(QWidget& window, DesktopHooks hooks, bool withTray)
    : window_(window), hooks_(std::move(hooks))
{
    before_ = readRetrievalSummary(hooks_.programFolder, false);
    if (withTray) {
        tray_ = std::make_unique<TrayIcon>();
        connect(tray_.get(), &TrayIcon::getNowRequested, this, [this] {
            if (hooks_.getNowEnabled())
                hooks_.getNow();
        });
        connect(tray_.get(), &TrayIcon::showWindowRequested, this, &DesktopPresence::showWindow);
        connect(tray_.get(), &TrayIcon::faxLogRequested, this, &DesktopPresence::showFaxLog);
        connect(tray_.get(), &TrayIcon::exitRequested, this, [this] { hooks_.exit(); });
        window_.installEventFilter(this);
    }
    refresh();
}

DesktopPresence::~DesktopPresence() = default;

void DesktopPresence::refresh()
{
    if (!tray_)
        return;
    SchedulerGlance glance = hooks_.glance();
    glance.retrieving = glance.retrieving || running_;
    tray_->show(trayStateFor(glance, QDateTime::currentDateTime()));
    tray_->setGetNowEnabled(hooks_.getNowEnabled());
}

void DesktopPresence::runStarted()
{
    running_ = true;
    refresh();
}

void DesktopPresence::runEnded(bool retrieval, bool finished)
{
    running_ = false;
    if (retrieval) {
        const RetrievalSummary now = readRetrievalSummary(hooks_.programFolder, finished);
        if (const std::optional<Notice> notice = noticeFor(now, before_))
            notifier_.show(*notice);
        before_ = now;
        if (faxLog_ && faxLog_->isVisible())
            faxLog_->reload();
    }
    refresh();
}

void DesktopPresence::showWindow()
{
    window_.showNormal();
    window_.raise();
    window_.activateWindow();
}

void DesktopPresence::showFaxLog()
{
    if (!faxLog_) {
        faxLog_ = new FaxLogDialog(hooks_.faxLog, hooks_.printUtility, &window_);
        faxLog_->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        faxLog_->reload();
    }
    faxLog_->show();
    faxLog_->raise();
    faxLog_->activateWindow();
}

bool DesktopPresence::eventFilter(QObject* watched, QEvent* event)
{
    // The window manager's close hides the window to the tray; the
    // program's own close (Exit) goes through.
    if (watched == &window_ && event->type() == QEvent::Close && event->spontaneous() && tray_
        && tray_->icon().isVisible()) {
        window_.hide();
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace torvex
