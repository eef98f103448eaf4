#pragma once

#include "scheduler/core/core_environment.h"
#include "scheduler/core/scheduler_view.h"
#include "scheduler/window/form_controls.h"

#include <QHash>
#include <QKeySequence>
#include <QWidget>

#include <memory>

namespace torvex {

class SchedulerCore;

// The scheduler's window (frmSchdlr): the tab strip with its nine pages, the
// button row and the status bar. It is the scheduler core's view: it
// forwards what the user does to the core, shows the core's status text and
// caption, and lets the core read and change its controls through
// SchedulerView.
class MainForm final : public QWidget, public SchedulerView {
    Q_OBJECT
public:
    // A missing profile chooser in env is the window's own dialog.
    explicit MainForm(CoreEnvironment env, QWidget* parent = nullptr);
    ~MainForm() override;

    [[nodiscard]] SchedulerCore& core() { return *core_; }
    [[nodiscard]] FormControls& controls() { return c_; }
    [[nodiscard]] QString statusText() const;

    // Brings the window forward when a second start asks for it.
    void bringForward();

Q_SIGNALS:
    // "Fax Log..." or Ctrl+L: the log of received faxes is asked for.
    void faxLogRequested();

public:

    // SchedulerView
    [[nodiscard]] QString text(Control control) const override;
    void setText(Control control, const QString& text) override;
    [[nodiscard]] bool isChecked(Control control) const override;
    void setChecked(Control control, bool checked) override;
    [[nodiscard]] bool isEnabled(Control control) const override;
    void setEnabled(Control control, bool enabled) override;
    [[nodiscard]] bool isVisible(Control control) const override;
    void setVisible(Control control, bool visible) override;
    [[nodiscard]] QStringList entries(Control control) const override;
    void addEntry(Control control, const QString& entry) override;
    [[nodiscard]] int currentIndex(Control control) const override;
    void setCurrentIndex(Control control, int index) override;
    void setMaxLength(Control control, int length) override;
    void undoKeystroke(Control control) override;
    void focus(Control control) override;
    [[nodiscard]] int currentTab() const override;
    void switchFrame(int tab) override;
    void setApplyIsDefault(bool isDefault) override;
    void setBusy(bool busy) override;

protected:
    void closeEvent(QCloseEvent* event) override;  // Form_Unload
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    [[nodiscard]] QWidget* widget(Control control) const { return widgets_.value(control); }
    void connectControls();
    void TabStrip1_Click(int index);
    // Focuses the field whose caption on the visible page has this Alt
    // shortcut; false when none has.
    bool shortcutToField(const QKeySequence& key);

    FormControls c_;
    QHash<Control, QWidget*> widgets_;
    QHash<const QWidget*, Control> controlOf_;
    // A checked field's text before its last change, and now.
    struct EditTrack {
        QString before;
        QString now;
    };
    QHash<Control, EditTrack> edits_;
    int currentPage_ = 0;  // 0-8, the visible page frame
    bool applyIsDefault_ = true;
    std::unique_ptr<SchedulerCore> core_;
};

}  // namespace torvex
