#include "main_form.h"

#include "field_checks.h"
#include "page_handlers.h"
#include "platform/message_box.h"
#include "print_launcher.h"
#include "schedule_engine.h"
#include "send_test.h"
#include "settings_apply.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedLayout>
#include <QTabBar>
#include <QTimer>

namespace torvex {

MainForm::MainForm(FormEnvironment env, QWidget* parent) : QWidget(parent), env_(std::move(env))
{
    setObjectName(QStringLiteral("frmSchdlr"));
    setWindowTitle(title());
    buildFormControls(*this, c_);

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

    connect(c_.Command1, &QPushButton::clicked, this, [this] { settings_->Command1_Click(); });
    connect(c_.Command2, &QPushButton::clicked, this, [this] { settings_->Command2_Click(); });
    connect(c_.Command3, &QPushButton::clicked, this, [this] { handlers_->Command3_Click(); });
    connect(c_.Command4, &QPushButton::clicked, this, [this] { launcher_->Command4_Click(); });
    connect(c_.Command5, &QPushButton::clicked, this, [this] { Command5_Click(*this); });
    connect(c_.Command6, &QPushButton::clicked, this, [this] { account_->Command6_Click(); });
    connect(c_.Command8, &QPushButton::clicked, this, [this] { handlers_->Command8_Click(); });
    for (int i = 0; i < 4; ++i)
        connect(c_.Command9[i], &QPushButton::clicked, this,
                [this, i] { handlers_->Command9_Click(i); });
    connect(c_.errorsignal, &QPushButton::clicked, this,
            [this] { launcher_->errorsignal_Click(); });

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
    focusField(page, field);
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

bool MainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == c_.Frame15 && event->type() == QEvent::MouseButtonDblClick) {
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
