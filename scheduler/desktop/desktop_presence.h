#pragma once

#include "scheduler/desktop/desktop_notifier.h"
#include "scheduler/desktop/fax_log_dialog.h"
#include "scheduler/desktop/fax_log_model.h"
#include "scheduler/desktop/retrieval_notice.h"
#include "scheduler/desktop/tray_icon.h"
#include "scheduler/desktop/tray_state.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

namespace torvex {

// What the desktop parts ask of the scheduler and its window.
struct DesktopHooks {
    std::function<SchedulerGlance()> glance;
    std::function<bool()> getNowEnabled;  // "&Get TORVEXes NOW" is enabled
    std::function<void()> getNow;         // its click
    std::function<void()> exit;           // the click of "E&xit"
    std::function<FaxLogModel::Source()> faxLog;
    std::function<QString()> printUtility;
    QString programFolder;
};

// The scheduler on the desktop: the tray icon where the desktop has a tray
// (closing the window then hides it there), one notification per run of
// the print utility, and the fax log. The window tells it when its state
// changes and when a run begins and ends.
class DesktopPresence final : public QObject {
    Q_OBJECT
public:
    DesktopPresence(QWidget& window, DesktopHooks hooks, bool withTray = TrayIcon::available());
    ~DesktopPresence() override;

    // The scheduler's state changed (status text, caption, buttons).
    void refresh();
    // A run of the print utility begins, and ends (finished: it said
    // "quit"); a run that retrieved or printed (not the test message) is
    // told in a notification.
    void runStarted();
    void runEnded(bool retrieval, bool finished);

    void showWindow();
    void showFaxLog();

    [[nodiscard]] TrayIcon* tray() { return tray_.get(); }
    [[nodiscard]] FaxLogDialog* faxLog() { return faxLog_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    DesktopHooks hooks_;
    std::unique_ptr<TrayIcon> tray_;
    DesktopNotifier notifier_;
    QPointer<FaxLogDialog> faxLog_;
    RetrievalSummary before_;
    bool running_ = false;
};

}  // namespace torvex
