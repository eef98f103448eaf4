#pragma once

#include <QString>

namespace torvex {

// What the account, address and member-status code reads from and writes to
// the main window. Controls are named by their object names (txtFirstName,
// Command6, Label50, ...); tabs are numbered 1-9 as switchFrame numbers them.
class AccountView {
public:
    virtual ~AccountView() = default;

    // Text of a text box, caption of a label, button or check box.
    [[nodiscard]] virtual QString text(const QString& control) const = 0;
    virtual void setText(const QString& control, const QString& text) = 0;
    // Ticked check box or selected option button.
    [[nodiscard]] virtual bool isChecked(const QString& control) const = 0;
    [[nodiscard]] virtual bool isEnabled(const QString& control) const = 0;
    virtual void setEnabled(const QString& control, bool enabled) = 0;
    [[nodiscard]] virtual bool isVisible(const QString& control) const = 0;
    virtual void setVisible(const QString& control, bool visible) = 0;
    virtual void setFocus(const QString& control) = 0;

    // Panel 1 of the status bar.
    [[nodiscard]] virtual QString statusText() const = 0;
    virtual void setStatusText(const QString& text) = 0;

    [[nodiscard]] virtual int currentTab() const = 0;
    virtual void switchFrame(int tab) = 0;

    // The hourglass pointer while a request runs.
    virtual void setBusy(bool busy) = 0;
};

}  // namespace torvex
