#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class QLineEdit;

namespace torvex {

class MainForm;

// The entry fields' own checks: change handlers undo a keystroke that
// breaks the field's character rule; lost-focus handlers report a bad value,
// bring its page forward and put the focus back, and store good values in
// the settings record at once.
class FieldChecks final : public QObject {
    Q_OBJECT
public:
    explicit FieldChecks(MainForm& form);

    // Hooks the change, lost-focus and got-focus handlers to the fields.
    void connectFields();

    void Text2_Change();
    void Text3_Change();
    void Text4_Change();
    void Text9_Change();
    void Text10_Change();
    void Text11_Change();
    void portField_Change(QLineEdit* field);

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
    void portField_LostFocus(QLineEdit* field);
    void Text31_LostFocus();
    void Text32_LostFocus();
    void Text34_LostFocus();
    void addressGroup_GotFocus(QLineEdit* field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The change rule: on failure the field goes back to its last good text.
    void checkChange(QLineEdit* field, bool (*test)(const QString&), int page);
    // A profile field's logon check: true when the profile was found.
    bool checkProfileField(QLineEdit* field, const QString& failure, int page);

    MainForm& form_;
    QHash<QLineEdit*, QString> lastGood_;
    bool inHandler_ = false;
};

}  // namespace torvex
