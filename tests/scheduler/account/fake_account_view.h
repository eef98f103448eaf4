#pragma once

#include "scheduler/account_view.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace torvex::test {

// The window as the account code sees it, kept in memory: every control
// starts enabled and visible with empty text.
class FakeAccountView final : public AccountView {
public:
    struct Control {
        QString text;
        bool checked = false;
        bool enabled = true;
        bool visible = true;
    };

    [[nodiscard]] QString text(const QString& control) const override { return controls.value(control).text; }
    void setText(const QString& control, const QString& text) override { controls[control].text = text; }
    [[nodiscard]] bool isChecked(const QString& control) const override { return controls.value(control).checked; }
    [[nodiscard]] bool isEnabled(const QString& control) const override { return controls.value(control).enabled; }
    void setEnabled(const QString& control, bool enabled) override { controls[control].enabled = enabled; }
    [[nodiscard]] bool isVisible(const QString& control) const override { return controls.value(control).visible; }
    void setVisible(const QString& control, bool visible) override { controls[control].visible = visible; }
    void setFocus(const QString& control) override { focus = control; }
    [[nodiscard]] QString statusText() const override { return status; }
    void setStatusText(const QString& text) override
    {
        status = text;
        statusHistory.append(text);
    }
    [[nodiscard]] int currentTab() const override { return tab; }
    void switchFrame(int newTab) override { tab = newTab; }
    void setBusy(bool on) override { busy = on; busyCalls.append(on); }

    void check(const QString& control, bool on = true) { controls[control].checked = on; }

    QHash<QString, Control> controls;
    QString focus;
    QString status;
    QStringList statusHistory;
    int tab = 1;
    bool busy = false;
    QList<bool> busyCalls;
};

}  // namespace torvex::test
