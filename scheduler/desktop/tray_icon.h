#pragma once

#include "tray_state.h"

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

namespace torvex {

// The scheduler in the desktop's tray: its state at a glance, the next
// retrieval in the tooltip, and a menu to retrieve now, show the window,
// open the fax log and exit. A view: it shows what it is given and says
// what the user chose.
class TrayIcon final : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(QObject* parent = nullptr);

    // Whether the desktop has a tray to show the icon in.
    [[nodiscard]] static bool available();

    void show(const TrayState& state);
    // "Get TORVEXes NOW" is offered while the window's button is enabled.
    void setGetNowEnabled(bool enabled);

    [[nodiscard]] QMenu& menu() { return menu_; }
    [[nodiscard]] const TrayState& state() const { return state_; }
    [[nodiscard]] QSystemTrayIcon& icon() { return icon_; }

Q_SIGNALS:
    void getNowRequested();
    void showWindowRequested();
    void faxLogRequested();
    void exitRequested();

private:
    QMenu menu_;
    QSystemTrayIcon icon_;
    QAction* getNow_ = nullptr;
    TrayState state_;
    bool shownOnce_ = false;
};

// The icon of a state, drawn: a sheet of paper, with arrows while
// retrieving and a red "!" after an error.
[[nodiscard]] QIcon trayIconFor(TrayActivity activity);

}  // namespace torvex
