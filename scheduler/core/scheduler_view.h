#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace torvex {

namespace form {
Q_NAMESPACE

// The controls of the scheduler's window by their form names; each name is
// also the control's object name in the window.
enum class Control {
    // "TORVEX &Address"
    Text2, Text3, Text4, Text1, txtVXAddress, lblPassword, Text13, lblRePassword, Text14, Text16,
    Check13, Check9, Label53,
    // "E -  &Mail"
    Text6, Text7, Text20, Combo3, Text29, Combo4, Text30, Text31, Text32, Combo5, Text33, Text34,
    Check20,
    // "&Internet Connection"
    Option1, Option2, Combo1, Check12, Check1, Check14, Text18, Text8, Text21, Label32,
    // "&Connection Schedule"
    Check3, Text9, Text10, Text11, Text19, Check4, Check5, Text15,
    // "&Printing"
    Combo2, Command3, Check6, Check7, Check11, Check10, Check8, Text12, Text22,
    // "&User Profile"
    Frame8, txtFirstName, txtLastName, txtBankACOwner, txtJobTitle, txtStreet, txtTown, txtState,
    txtZip, txtCountry, txtCCode, txtArea, txtNo, Label31, Command6,
    // "&Relay + Line Monitor"
    Frame15, Check19, Option10, Option9, Check15, lstLines, txtStatus,
    // "&Forwarding"
    Check16, Check17, Check18, Option3, Option4, Option5, Option6, Option7, Option8, Text23, Text24,
    Text25, Text26, Text27, Text28,
    // "About + &Help"
    Command8, Label45, Label48, Label50,
    // The button row
    Command1, Command2, Command4, Command5, errorsignal,
};
Q_ENUM_NS(Control)

}  // namespace form

using form::Control;

// The form name of a control, which is also its object name.
[[nodiscard]] QString controlName(Control control);

// The scheduler's window as the scheduler's parts see it. The window
// implements it over its widgets; the parts read and change the pages
// through it and nothing else.
class SchedulerView {
public:
    virtual ~SchedulerView() = default;

    // A text box's text; the caption of a label, button, check box or group;
    // the text of a combo box's chosen entry.
    [[nodiscard]] virtual QString text(Control control) const = 0;
    virtual void setText(Control control, const QString& text) = 0;

    // A ticked check box or a selected option button. Setting the value is
    // no click: the parts run what a click would themselves. Clearing an
    // option leaves none of its group selected.
    [[nodiscard]] virtual bool isChecked(Control control) const = 0;
    virtual void setChecked(Control control, bool checked) = 0;

    [[nodiscard]] virtual bool isEnabled(Control control) const = 0;
    virtual void setEnabled(Control control, bool enabled) = 0;
    // Not hidden, whichever page is in front.
    [[nodiscard]] virtual bool isVisible(Control control) const = 0;
    virtual void setVisible(Control control, bool visible) = 0;

    // The entries of a list or combo box, and the chosen one (-1: none).
    [[nodiscard]] virtual QStringList entries(Control control) const = 0;
    virtual void addEntry(Control control, const QString& entry) = 0;
    [[nodiscard]] virtual int currentIndex(Control control) const = 0;
    virtual void setCurrentIndex(Control control, int index) = 0;

    virtual void setMaxLength(Control control, int length) = 0;
    // Puts back the text a field had before its last change (a keystroke
    // its check refused); the cursor stays where the keystroke was.
    virtual void undoKeystroke(Control control) = 0;

    // The focus into a control; the page in front stays as it is.
    virtual void focus(Control control) = 0;

    // The tab in front, 1-9, and switchFrame: tab n and its page to the front.
    [[nodiscard]] virtual int currentTab() const = 0;
    virtual void switchFrame(int tab) = 0;

    // Whether Enter presses "&Apply Settings" (not while in the street field).
    virtual void setApplyIsDefault(bool isDefault) = 0;
    // The hourglass pointer while a long step runs.
    virtual void setBusy(bool busy) = 0;
};

// The hourglass for as long as the object lives.
class BusyScope {
public:
    explicit BusyScope(SchedulerView& view) : view_(view) { view_.setBusy(true); }
    ~BusyScope() { view_.setBusy(false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    SchedulerView& view_;
};

}  // namespace torvex
