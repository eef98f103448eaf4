#pragma once

#include "scheduler/core/scheduler_view.h"

#include <QObject>
#include <QString>

#include <optional>

namespace torvex {

class MessageBoxes;
class ProfileChooser;
class ScheduleEngine;
struct SchedulerState;

// The entry fields' own checks: change handlers undo a keystroke that
// breaks the field's character rule; lost-focus handlers report a bad value,
// bring its page forward and put the focus back, and store good values in
// the settings record at once.
class FieldChecks final : public QObject {
    Q_OBJECT
public:
    FieldChecks(SchedulerView& view, SchedulerState& state, MessageBoxes& boxes,
                ProfileChooser& chooser, ScheduleEngine& schedule)
        : view_(view), state_(state), boxes_(boxes), chooser_(chooser), schedule_(schedule)
    {
    }

    // The window's field events: an edit, the focus leaving, the focus arriving.
    void changed(Control field);
    void left(Control field);
    void entered(Control field);

    void Text1_LostFocus();
    void Text2_LostFocus();
    void Text3_LostFocus();
    void Text4_LostFocus();
    void Text6_LostFocus();
    void Text7_LostFocus();
    void Text9_LostFocus();
    void Text10_LostFocus();
    void Text11_LostFocus();
    void Text12_LostFocus();
    void Text13_LostFocus();
    void Text14_LostFocus();
    void Text15_LostFocus();
    void Text16_LostFocus();
    void Text22_LostFocus();
    void txtVXAddress_LostFocus();
    void txtFirstName_LostFocus();
    void txtLastName_LostFocus();
    void txtStreet_LostFocus();
    // The secure-connection fields of the mail page: a port is 1-65535 or
    // empty (the standard one), the certificate file must exist.
    void Text29_LostFocus();
    void Text30_LostFocus();
    void Text31_LostFocus();
    void Text32_LostFocus();
    void Text33_LostFocus();
    void Text34_LostFocus();

Q_SIGNALS:
    // A bad value: message, then tab `page` to the front and the focus into field.
    void fieldRejected(int page, Control field, const QString& message);

private:
    // The change rule: on failure the keystroke is undone.
    void checkChange(Control field, bool (*test)(const QString&), std::optional<int> page);
    // A profile field's logon check: true when the profile was found.
    bool checkProfileField(Control field, const QString& failure, int page);
    void alert(const QString& message);
    // Tab `page` to the front, unless it is, and the focus into field.
    void showField(int page, Control field);
    void dropLeadingZeros(Control field);
    void portField_LostFocus(Control field, QString& setting);

    SchedulerView& view_;
    SchedulerState& state_;
    MessageBoxes& boxes_;
    ProfileChooser& chooser_;
    ScheduleEngine& schedule_;
    bool inHandler_ = false;
};

}  // namespace torvex
