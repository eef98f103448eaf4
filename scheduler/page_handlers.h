#pragma once

namespace torvex {

class MainForm;

// What the pages' buttons, check boxes and option buttons do beyond Apply
// and Exit: printer set-up, help and home pages, enabling fields, the
// connection options, the password fields and the hidden member-status
// refresh.
class PageHandlers {
public:
    explicit PageHandlers(MainForm& form) : form_(form) {}

    void Command3_Click();  // printer "&Setup"
    void Command8_Click();  // "TORVEX Home"
    void Command9_Click(int index);  // help pages
    void Check1_Click();
    void Check3_Click();
    void Check8_Click();
    void Check10_Click();
    void Check11_Click();
    void forwardingRow_Click(int row);  // Check16, Check17, Check18 (rows 0-2)
    void Option1_Click();
    void Option2_Click();
    void Combo1_Click();
    void Frame15_DblClick();
    void showPasswordEntries(bool flg);

private:
    MainForm& form_;
};

}  // namespace torvex
