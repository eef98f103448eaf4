#pragma once

#include "scheduler/core/scheduler_view.h"

#include <QHash>
#include <QStringList>

#include <functional>

namespace torvex {
class SchedulerCore;
}

namespace torvex::test {

// The control of a form name (test tables name controls as text).
[[nodiscard]] Control control(const QString& name);

// The scheduler's window kept in memory, as the core sees it: controls
// start as the window builds them (enabled, visible, empty, but for the few
// the window starts otherwise), option buttons clear their partner, and the
// user's actions reach the core the way the window forwards them.
class FakeView final : public SchedulerView {
public:
    struct Control_ {
        QString text;
        QString before;  // the text before its last change
        bool checked = false;
        bool enabled = true;
        bool visible = true;
        QStringList entries;
        int current = -1;
        int maxLength = 32767;
    };

    FakeView();
    void attach(SchedulerCore& core) { core_ = &core; }

    // The user's actions: a click (a check box flips, an option is
    // selected); keys typed at the end of a field, which takes the focus
    // first; the focus moved on (the field it leaves is checked, and may
    // keep it).
    void click(Control control);
    void type(Control field, const QString& keys);
    void moveFocus(Control to);
    // The user sets a check box or option button (a click when that changes it).
    void tick(Control box, bool on);
    void doubleClickRelayGroup();
    void clearEntries(Control control);

    [[nodiscard]] QString text(Control control) const override;
    void setText(Control control, const QString& text) override;
    [[nodiscard]] bool isChecked(Control control) const override { return c(control).checked; }
    void setChecked(Control control, bool checked) override;
    [[nodiscard]] bool isEnabled(Control control) const override { return c(control).enabled; }
    void setEnabled(Control control, bool enabled) override { controls_[control].enabled = enabled; }
    [[nodiscard]] bool isVisible(Control control) const override { return c(control).visible; }
    void setVisible(Control control, bool visible) override { controls_[control].visible = visible; }
    [[nodiscard]] QStringList entries(Control control) const override { return c(control).entries; }
    void addEntry(Control control, const QString& entry) override;
    [[nodiscard]] int currentIndex(Control control) const override { return c(control).current; }
    void setCurrentIndex(Control control, int index) override { controls_[control].current = index; }
    void setMaxLength(Control control, int length) override { controls_[control].maxLength = length; }
    [[nodiscard]] int maxLength(Control control) const { return c(control).maxLength; }
    void undoKeystroke(Control control) override;
    void focus(Control control) override { focused = control; }
    [[nodiscard]] int currentTab() const override { return tab; }
    void switchFrame(int newTab) override { tab = newTab; }
    void setApplyIsDefault(bool isDefault) override { applyIsDefault = isDefault; }
    void setBusy(bool) override {}

    // Told of every text the core sets, after it is set.
    std::function<void(Control, const QString&)> textSet;
    int tab = 1;
    Control focused = Control::Text2;
    bool applyIsDefault = true;

private:
    [[nodiscard]] const Control_& c(Control control) const;

    QHash<Control, Control_> controls_;
    SchedulerCore* core_ = nullptr;
};

}  // namespace torvex::test
