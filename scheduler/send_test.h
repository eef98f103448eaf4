#pragma once

namespace torvex {

class MainForm;

// "Send &Test": applies the settings, has the print utility send a test
// TORVEX to the user's own address, and tells the user which server took
// it, or why none did.
void Command5_Click(MainForm& form);

}  // namespace torvex
