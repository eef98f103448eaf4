#pragma once

namespace torvex {

class MainForm;

// True when the modem or the network option is selected; otherwise tells
// the user to pick one.
bool IsConnection(MainForm& form);

// Option1 = flg, Check14 enabled = flg, Option2 = not flg.
void resetConnectInfo(MainForm& form, bool flg);

}  // namespace torvex
