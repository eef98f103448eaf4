#include "account_widget_view.h"

#include "main_form.h"
#include "wait_cursor.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace torvex {

WidgetAccountView::WidgetAccountView(MainForm& form) : form_(form) {}

WidgetAccountView::~WidgetAccountView() = default;

QWidget* WidgetAccountView::find(const QString& control) const
{
    return form_.findChild<QWidget*>(control);
}

QString WidgetAccountView::text(const QString& control) const
{
    QWidget* w = find(control);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->text();
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    if (auto* group = qobject_cast<QGroupBox*>(w))
        return group->title();
    return {};
}

void WidgetAccountView::setText(const QString& control, const QString& text)
{
    QWidget* w = find(control);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(w))
        group->setTitle(text);
}

bool WidgetAccountView::isChecked(const QString& control) const
{
    auto* button = qobject_cast<QAbstractButton*>(find(control));
    return button && button->isChecked();
}

bool WidgetAccountView::isEnabled(const QString& control) const
{
    QWidget* w = find(control);
    return w && w->isEnabled();
}

void WidgetAccountView::setEnabled(const QString& control, bool enabled)
{
    if (QWidget* w = find(control))
        w->setEnabled(enabled);
}

bool WidgetAccountView::isVisible(const QString& control) const
{
    QWidget* w = find(control);
    return w && !w->isHidden();
}

void WidgetAccountView::setVisible(const QString& control, bool visible)
{
    if (QWidget* w = find(control))
        w->setVisible(visible);
}

void WidgetAccountView::setFocus(const QString& control)
{
    // While unattended nobody is looking, and whoever is works on undisturbed.
    if (form_.state().unattended)
        return;
    if (QWidget* w = find(control))
        w->setFocus();
}

QString WidgetAccountView::statusText() const
{
    return form_.statusText();
}

void WidgetAccountView::setStatusText(const QString& text)
{
    form_.setStatusText(text);
}

int WidgetAccountView::currentTab() const
{
    return form_.state().currentPage + 1;
}

void WidgetAccountView::switchFrame(int tab)
{
    if (!form_.state().unattended)
        form_.switchFrame(tab);
}

void WidgetAccountView::setBusy(bool busy)
{
    if (busy && !busy_)
        busy_ = std::make_unique<WaitCursor>();
    else if (!busy)
        busy_.reset();
}

}  // namespace torvex
