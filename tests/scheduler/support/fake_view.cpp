#include "fake_view.h"

#include "scheduler/core/scheduler_core.h"

#include <QMetaEnum>

namespace torvex::test {
namespace {

// The option buttons that exclude each other: Option1 and Option2, Option3
// and Option4, and so on.
Control partner(Control option)
{
    const QString name = controlName(option);
    if (!name.startsWith(QLatin1String("Option")))
        return option;
    const int n = name.mid(6).toInt();
    return control(QStringLiteral("Option%1").arg(n % 2 == 1 ? n + 1 : n - 1));
}

}  // namespace

Control control(const QString& name)
{
    bool ok = false;
    const int value = QMetaEnum::fromType<Control>().keyToValue(name.toLatin1().constData(), &ok);
    Q_ASSERT_X(ok, "control", qPrintable(name));
    return Control(value);
}

FakeView::FakeView()
{
    // As the window is built.
    for (const Control off : {Control::Command4, Control::Command6, Control::Text9, Control::Text10,
                              Control::Text11, Control::Text15, Control::Check5, Control::Text12})
        controls_[off].enabled = false;
    for (const Control hidden : {Control::errorsignal, Control::Label32, Control::Label53})
        controls_[hidden].visible = false;
    controls_[Control::Command6].text = QStringLiteral("&Set Up Address");
    controls_[Control::Option1].text = QStringLiteral(" a &Modem *");
    controls_[Control::Option2].text = QStringLiteral("a &Network Card *");
    controls_[Control::Label31].text = QStringLiteral(" ");
}

const FakeView::Control_& FakeView::c(Control control) const
{
    static const Control_ none;
    const auto it = controls_.constFind(control);
    return it == controls_.cend() ? none : *it;
}

QString FakeView::text(Control control) const
{
    const Control_& k = c(control);
    if (!k.entries.isEmpty() || control == Control::Combo1 || control == Control::Combo2)
        return k.current >= 0 && k.current < k.entries.size() ? k.entries[k.current] : QString();
    return k.text;
}

void FakeView::setText(Control control, const QString& text)
{
    Control_& k = controls_[control];
    k.before = k.text;
    k.text = text.left(k.maxLength);
    if (textSet)
        textSet(control, k.text);
}

void FakeView::setChecked(Control control, bool checked)
{
    controls_[control].checked = checked;
    if (checked && partner(control) != control)
        controls_[partner(control)].checked = false;
}

void FakeView::addEntry(Control control, const QString& entry)
{
    Control_& k = controls_[control];
    k.entries << entry;
    if (k.current < 0 && k.entries.size() == 1 && controlName(control).startsWith(QLatin1String("Combo")))
        k.current = 0;
}

void FakeView::undoKeystroke(Control control)
{
    Control_& k = controls_[control];
    k.text = k.before;
}

void FakeView::click(Control control)
{
    if (partner(control) != control)
        setChecked(control, true);
    else if (controlName(control).startsWith(QLatin1String("Check")))
        setChecked(control, !isChecked(control));
    core_->clicked(control);
}

void FakeView::type(Control field, const QString& keys)
{
    if (focused != field)
        moveFocus(field);
    for (const QChar key : keys) {
        setText(field, c(field).text + key);
        core_->fieldChanged(field);
    }
}

void FakeView::tick(Control box, bool on)
{
    if (isChecked(box) != on)
        click(box);
}

void FakeView::doubleClickRelayGroup()
{
    core_->relayGroupDoubleClicked();
}

void FakeView::clearEntries(Control control)
{
    controls_[control].entries.clear();
    controls_[control].current = -1;
}

void FakeView::moveFocus(Control to)
{
    const Control from = focused;
    focused = to;
    core_->fieldLeft(from);
    if (focused == to)
        core_->fieldEntered(to);
}

}  // namespace torvex::test
