#include "main_form.h"

#include "field_checks.h"
#include "line_monitor_status.h"
#include "page_handlers.h"
#include "platform/desktop/message_box.h"
#include "platform/desktop/time_scale.h"
#include "print_launcher.h"
#include "schedule_engine.h"
#include "send_test.h"
#include "settings_apply.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcutEvent>
#include <QStackedLayout>
#include <QTabBar>
#include <QTimer>

namespace torvex {

MainForm::MainForm(FormEnvironment env, QWidget* parent) : QWidget(parent), env_(std::move(env))
{
    setObjectName(QStringLiteral("frmSchdlr"));
    setWindowTitle(title());
    buildFormControls(*this, c_);
    boxes_ = std::make_unique<UnattendedBoxes>(*env_.boxes, state_.unattended,
                                               [this](const QString& text) { notice(text); });

    schedule_ = std::make_unique<ScheduleEngine>(*this);
    launcher_ = std::make_unique<PrintLauncher>(*this);
    settings_ = std::make_unique<SettingsApply>(*this);
    handlers_ = std::make_unique<PageHandlers>(*this);
    fields_ = std::make_unique<FieldChecks>(*this);
    account_ = env_.makeAccount(*this);
    dialUp_ = env_.makeDialUp(*this);
    lineMonitor_ = env_.makeLineMonitor(*this);
    connectControls();
}

MainForm::~MainForm() = default;

QString MainForm::title()
{
    return QStringLiteral("TORVEX Print Scheduler");
}

void MainForm::connectControls()
{
    connect(c_.TabStrip1, &QTabBar::currentChanged, this, &MainForm::TabStrip1_Click);

    connect(c_.Timer1, &QTimer::timeout, this, [this] { schedule_->Timer1_Timer(); });
    connect(c_.Timer2, &QTimer::timeout, this, [this] { launcher_->Timer2_Timer(); });
    connect(c_.Timer3, &QTimer::timeout, this, [this] { schedule_->Timer3_Timer(); });

    // What a user clicks is attended, also inside the wait of a scheduled run.
    const auto clicked = [this](QPushButton* button, auto handler) {
        connect(button, &QPushButton::clicked, this, [this, handler] {
            const AttendanceScope user = attendance(false);
            handler();
        });
    };
    clicked(c_.Command1, [this] { settings_->Command1_Click(); });
    clicked(c_.Command2, [this] { settings_->Command2_Click(); });
    clicked(c_.Command3, [this] { handlers_->Command3_Click(); });
    clicked(c_.Command4, [this] { launcher_->Command4_Click(); });
    clicked(c_.Command5, [this] { Command5_Click(*this); });
    clicked(c_.Command6, [this] { account_->Command6_Click(); });
    clicked(c_.Command8, [this] { handlers_->Command8_Click(); });
    for (int i = 0; i < 4; ++i)
        clicked(c_.Command9[i], [this, i] { handlers_->Command9_Click(i); });
    clicked(c_.errorsignal, [this] { launcher_->errorsignal_Click(); });

    // A check box's click handler runs whenever its value changes, and an
    // option button's whenever it becomes selected, also when the program
    // sets it; the loading flag keeps the marked ones quiet while loading.
    connect(c_.Check1, &QCheckBox::toggled, this, [this] { handlers_->Check1_Click(); });
    connect(c_.Check3, &QCheckBox::toggled, this, [this] { handlers_->Check3_Click(); });
    connect(c_.Check8, &QCheckBox::toggled, this, [this] { handlers_->Check8_Click(); });
    connect(c_.Check10, &QCheckBox::toggled, this, [this] { handlers_->Check10_Click(); });
    connect(c_.Check11, &QCheckBox::toggled, this, [this] { handlers_->Check11_Click(); });
    connect(c_.Check16, &QCheckBox::toggled, this, [this] { handlers_->forwardingRow_Click(0); });
    connect(c_.Check17, &QCheckBox::toggled, this, [this] { handlers_->forwardingRow_Click(1); });
    connect(c_.Check18, &QCheckBox::toggled, this, [this] { handlers_->forwardingRow_Click(2); });
    connect(c_.Option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            handlers_->Option1_Click();
    });
    connect(c_.Option2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            handlers_->Option2_Click();
    });
    connect(c_.Combo1, &QComboBox::activated, this, [this] { handlers_->Combo1_Click(); });
    c_.Frame15->installEventFilter(this);
    for (QWidget* w : {static_cast<QWidget*>(c_.TabStrip1), static_cast<QWidget*>(c_.Command1),
                       static_cast<QWidget*>(c_.Command2), static_cast<QWidget*>(c_.Command4),
                       static_cast<QWidget*>(c_.Command5)})
        w->installEventFilter(this);

    fields_->connectFields();
}

void MainForm::switchFrame(int n)
{
    if (n < 1 || n > 9 || c_.TabStrip1->currentIndex() == n - 1)
        return;
    c_.pageStack->setCurrentIndex(n - 1);
    state_.currentPage = n - 1;
    const QSignalBlocker quiet(c_.TabStrip1);
    c_.TabStrip1->setCurrentIndex(n - 1);
}

void MainForm::TabStrip1_Click(int index)
{
    if (state_.flgLoading || index == state_.currentPage || index < 0)
        return;
    c_.pageStack->setCurrentIndex(index);
    state_.currentPage = index;
}

void MainForm::setStatusText(const QString& text)
{
    c_.statusPanel->setText(text);
}

QString MainForm::statusText() const
{
    return c_.statusPanel->text();
}

void MainForm::focusField(int page, QWidget* field)
{
    if (state_.currentPage != page - 1)
        switchFrame(page);
    if (field)
        field->setFocus(Qt::OtherFocusReason);
}

void MainForm::alert(const QString& message)
{
    boxes().beep();
    boxes().show(message, title(), MsgButtons::Ok, MsgIcon::None);
}

void MainForm::reportField(const QString& message, int page, QWidget* field)
{
    alert(message);
    if (!state_.unattended)
        focusField(page, field);
}

void MainForm::accountRegistered()
{
    c_.Command4->setEnabled(true);
    // A first run starts no schedule; the new account needs one.
    if (!c_.Timer1->isActive())
        startScheduleTick();
    schedule_->ResetCountdown();
}

void MainForm::startScheduleTick()
{
    c_.Timer1->setInterval(scaledMs(60000));
    c_.Timer1->start();
}

void MainForm::notice(const QString& text)
{
    const QString line = schedule_->myDateTime() + QStringLiteral("  ")
        + QString(text).replace(QLatin1String("\r\n"), QLatin1String(" "));
    setStatusText(line);
    PrependStatusLine(*c_.txtStatus, line);
}

void MainForm::setApplyIsDefault(bool isDefault)
{
    applyIsDefault_ = isDefault;
    c_.Command1->setDefault(isDefault);
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
    if (enter && event->modifiers() == Qt::NoModifier && applyIsDefault_
        && c_.Command1->isEnabled()) {
        c_.Command1->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool MainForm::shortcutToField(const QKeySequence& key)
{
    std::vector<QWidget*> fields;
    for (QLabel* label : c_.Frame17[std::size_t(state_.currentPage)]->findChildren<QLabel*>()) {
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
        const AttendanceScope user = attendance(false);
        handlers_->Frame15_DblClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MainForm::closeEvent(QCloseEvent* event)
{
    lineMonitor_->LineMonitor(2);
    lineMonitor_->shutDown();
    QWidget::closeEvent(event);
}

}  // namespace torvex
