#include "scheduler/window/main_form.h"

#include "scheduler/core/program_title.h"
#include "scheduler/core/scheduler_core.h"
#include "scheduler/window/desktop_environment.h"
#include "scheduler/window/profile_chooser_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaEnum>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QShortcutEvent>
#include <QStackedLayout>
#include <QTabBar>

namespace torvex {
namespace {

CoreEnvironment withChooser(CoreEnvironment env, QWidget* window)
{
    if (!env.profileChooser)
        env.profileChooser = std::make_shared<ProfileChooserDialog>(window);
    return env;
}

}  // namespace

MainForm::MainForm(CoreEnvironment env, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmSchdlr"));
    setWindowTitle(programTitle());
    buildFormControls(*this, c_);
    const QMetaEnum names = QMetaEnum::fromType<Control>();
    for (int i = 0; i < names.keyCount(); ++i) {
        const auto control = Control(names.value(i));
        QWidget* w = findChild<QWidget*>(QString::fromLatin1(names.key(i)));
        Q_ASSERT_X(w, "MainForm", names.key(i));
        widgets_.insert(control, w);
        controlOf_.insert(w, control);
    }
    core_ = std::make_unique<SchedulerCore>(withChooser(std::move(env), this), *this);
    connectControls();
}

MainForm::~MainForm() = default;

void MainForm::connectControls()
{
    connect(core_.get(), &SchedulerCore::statusTextChanged, c_.statusPanel, &QLabel::setText);
    connect(core_.get(), &SchedulerCore::captionChanged, this, &QWidget::setWindowTitle);
    connect(c_.TabStrip1, &QTabBar::currentChanged, this, &MainForm::TabStrip1_Click);

    for (const Control control : {Control::Command1, Control::Command2, Control::Command4,
                                  Control::Command5, Control::Command6, Control::Command8,
                                  Control::errorsignal})
        connect(qobject_cast<QPushButton*>(widget(control)), &QPushButton::clicked, this,
                [this, control] { core_->clicked(control); });
    connect(c_.Command3, &QPushButton::clicked, this, [this] { showPrinterSetup(this); });
    connect(c_.faxLog, &QPushButton::clicked, this, &MainForm::faxLogRequested);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this), &QShortcut::activated, c_.faxLog,
            &QPushButton::click);
    for (int i = 0; i < 4; ++i)
        connect(c_.Command9[std::size_t(i)], &QPushButton::clicked, this, [this, i] { core_->helpClicked(i); });

    // The program's own changes of a value are no clicks (setChecked
    // blocks them); what the user changes is.
    for (const Control control : {Control::Check1, Control::Check3, Control::Check8, Control::Check10,
                                  Control::Check11, Control::Check16, Control::Check17,
                                  Control::Check18, Control::Option1, Control::Option2})
        connect(qobject_cast<QAbstractButton*>(widget(control)), &QAbstractButton::toggled, this,
                [this, control] { core_->clicked(control); });
    connect(c_.Combo1, &QComboBox::activated, this, [this] { core_->clicked(Control::Combo1); });

    for (const Control control : {Control::Text2, Control::Text3, Control::Text4, Control::Text9,
                                  Control::Text10, Control::Text11, Control::Text29, Control::Text30,
                                  Control::Text33}) {
        auto* field = qobject_cast<QLineEdit*>(widget(control));
        // Qt sends textEdited before textChanged: whichever comes first
        // records the change.
        const auto track = [this, control](const QString& text) {
            EditTrack& edit = edits_[control];
            if (edit.now == text)
                return;
            edit.before = edit.now;
            edit.now = text;
        };
        connect(field, &QLineEdit::textChanged, this, track);
        connect(field, &QLineEdit::textEdited, this, [this, control, track](const QString& text) {
            track(text);
            core_->fieldChanged(control);
        });
    }
    for (auto it = widgets_.cbegin(); it != widgets_.cend(); ++it)
        if (qobject_cast<QLineEdit*>(it.value()))
            it.value()->installEventFilter(this);

    c_.Frame15->installEventFilter(this);
    for (QWidget* w : {static_cast<QWidget*>(c_.TabStrip1), static_cast<QWidget*>(c_.Command1),
                       static_cast<QWidget*>(c_.Command2), static_cast<QWidget*>(c_.Command4),
                       static_cast<QWidget*>(c_.Command5)})
        w->installEventFilter(this);
}

QString MainForm::statusText() const
{
    return c_.statusPanel->text();
}

QString MainForm::text(Control control) const
{
    QWidget* w = widget(control);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->text();
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    if (auto* group = qobject_cast<QGroupBox*>(w))
        return group->title();
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return combo->currentText();
    if (auto* box = qobject_cast<QPlainTextEdit*>(w))
        return box->toPlainText();
    if (auto* list = qobject_cast<QListWidget*>(w))
        return list->currentItem() ? list->currentItem()->text() : QString();
    return {};
}

void MainForm::setText(Control control, const QString& text)
{
    QWidget* w = widget(control);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(w))
        group->setTitle(text);
    else if (auto* box = qobject_cast<QPlainTextEdit*>(w))
        box->setPlainText(text);
}

bool MainForm::isChecked(Control control) const
{
    auto* button = qobject_cast<QAbstractButton*>(widget(control));
    return button && button->isChecked();
}

void MainForm::setChecked(Control control, bool checked)
{
    auto* button = qobject_cast<QAbstractButton*>(widget(control));
    if (!button)
        return;
    const QSignalBlocker noClick(button);
    QButtonGroup* group = button->group();
    const bool clearing = group && !checked && group->exclusive();
    if (clearing)
        group->setExclusive(false);
    button->setChecked(checked);
    if (clearing)
        group->setExclusive(true);
}

bool MainForm::isEnabled(Control control) const
{
    return widget(control)->isEnabled();
}

void MainForm::setEnabled(Control control, bool enabled)
{
    widget(control)->setEnabled(enabled);
}

bool MainForm::isVisible(Control control) const
{
    return !widget(control)->isHidden();
}

void MainForm::setVisible(Control control, bool visible)
{
    widget(control)->setVisible(visible);
}

QStringList MainForm::entries(Control control) const
{
    QStringList out;
    if (auto* combo = qobject_cast<QComboBox*>(widget(control))) {
        for (int i = 0; i < combo->count(); ++i)
            out << combo->itemText(i);
    } else if (auto* list = qobject_cast<QListWidget*>(widget(control))) {
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
    }
    return out;
}

void MainForm::addEntry(Control control, const QString& entry)
{
    if (auto* combo = qobject_cast<QComboBox*>(widget(control)))
        combo->addItem(entry);
    else if (auto* list = qobject_cast<QListWidget*>(widget(control)))
        list->addItem(entry);
}

int MainForm::currentIndex(Control control) const
{
    if (auto* combo = qobject_cast<QComboBox*>(widget(control)))
        return combo->currentIndex();
    if (auto* list = qobject_cast<QListWidget*>(widget(control)))
        return list->currentRow();
    return -1;
}

void MainForm::setCurrentIndex(Control control, int index)
{
    if (auto* combo = qobject_cast<QComboBox*>(widget(control)))
        combo->setCurrentIndex(index);
    else if (auto* list = qobject_cast<QListWidget*>(widget(control)))
        list->setCurrentRow(index);
}

void MainForm::setMaxLength(Control control, int length)
{
    if (auto* edit = qobject_cast<QLineEdit*>(widget(control)))
        edit->setMaxLength(length);
}

void MainForm::undoKeystroke(Control control)
{
    auto* edit = qobject_cast<QLineEdit*>(widget(control));
    if (!edit)
        return;
    EditTrack& track = edits_[control];
    const int cursor = std::max(0, int(edit->cursorPosition()) - 1);
    const QSignalBlocker quiet(edit);
    edit->setText(track.before);
    track.now = track.before;
    edit->setCursorPosition(std::min(cursor, int(edit->text().size())));
}

void MainForm::focus(Control control)
{
    widget(control)->setFocus(Qt::OtherFocusReason);
}

int MainForm::currentTab() const
{
    return currentPage_ + 1;
}

void MainForm::switchFrame(int tab)
{
    if (tab < 1 || tab > 9 || c_.TabStrip1->currentIndex() == tab - 1)
        return;
    c_.pageStack->setCurrentIndex(tab - 1);
    currentPage_ = tab - 1;
    const QSignalBlocker quiet(c_.TabStrip1);
    c_.TabStrip1->setCurrentIndex(tab - 1);
}

void MainForm::TabStrip1_Click(int index)
{
    if (core_->state().flgLoading || index == currentPage_ || index < 0)
        return;
    c_.pageStack->setCurrentIndex(index);
    currentPage_ = index;
}

void MainForm::setApplyIsDefault(bool isDefault)
{
    applyIsDefault_ = isDefault;
    c_.Command1->setDefault(isDefault);
}

void MainForm::setBusy(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QApplication::restoreOverrideCursor();
}

void MainForm::bringForward()
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void MainForm::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && event->modifiers() == Qt::NoModifier && applyIsDefault_ && c_.Command1->isEnabled()) {
        c_.Command1->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool MainForm::shortcutToField(const QKeySequence& key)
{
    std::vector<QWidget*> fields;
    for (QLabel* label : c_.Frame17[std::size_t(currentPage_)]->findChildren<QLabel*>()) {
        QWidget* field = label->buddy();
        if (field && label->isVisible() && field->isVisible() && field->isEnabled()
            && QKeySequence::mnemonic(label->text()) == key)
            fields.push_back(field);
    }
    if (fields.empty())
        return false;
    // Captions sharing the letter take turns, in page order.
    auto at = std::find(fields.begin(), fields.end(), QApplication::focusWidget());
    QWidget* next = at == fields.end() || ++at == fields.end() ? fields.front() : *at;
    next->setFocus(Qt::ShortcutFocusReason);
    return true;
}

bool MainForm::eventFilter(QObject* watched, QEvent* event)
{
    // An Alt letter that a caption of the visible page shares with a tab or
    // a button reaches the caption's field; Qt would let them take turns,
    // and a press would switch the page as often as it reached the field.
    if (event->type() == QEvent::Shortcut
        && shortcutToField(static_cast<QShortcutEvent*>(event)->key()))
        return true;
    if (watched == c_.Frame15 && event->type() == QEvent::MouseButtonDblClick) {
        core_->relayGroupDoubleClicked();
        return true;
    }
    const auto field = controlOf_.constFind(static_cast<QWidget*>(watched));
    if (field == controlOf_.cend() || !qobject_cast<QLineEdit*>(watched))
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::FocusIn) {
        core_->fieldEntered(*field);
    } else if (event->type() == QEvent::FocusOut) {
        // Switching to another window or opening a menu does not leave the field.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            core_->fieldLeft(*field);
    }
    return QWidget::eventFilter(watched, event);
}

void MainForm::closeEvent(QCloseEvent* event)
{
    core_->Form_Unload();
    QWidget::closeEvent(event);
}

}  // namespace torvex
