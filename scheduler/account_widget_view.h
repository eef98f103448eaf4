#pragma once

#include "scheduler/account_view.h"

#include <memory>

class QWidget;

namespace torvex {

class MainForm;
class WaitCursor;

// The account code's view of the real window: controls found by object
// name among the window's children, the status bar panel, the tab strip.
class WidgetAccountView final : public AccountView {
public:
    explicit WidgetAccountView(MainForm& form);
    ~WidgetAccountView() override;

    [[nodiscard]] QString text(const QString& control) const override;
    void setText(const QString& control, const QString& text) override;
    [[nodiscard]] bool isChecked(const QString& control) const override;
    [[nodiscard]] bool isEnabled(const QString& control) const override;
    void setEnabled(const QString& control, bool enabled) override;
    [[nodiscard]] bool isVisible(const QString& control) const override;
    void setVisible(const QString& control, bool visible) override;
    void setFocus(const QString& control) override;
    [[nodiscard]] QString statusText() const override;
    void setStatusText(const QString& text) override;
    [[nodiscard]] int currentTab() const override;
    void switchFrame(int tab) override;
    void setBusy(bool busy) override;

private:
    [[nodiscard]] QWidget* find(const QString& control) const;

    MainForm& form_;
    std::unique_ptr<WaitCursor> busy_;
};

}  // namespace torvex
