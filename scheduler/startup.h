#pragma once

#include <QString>

namespace torvex {

class MainForm;
class SingleInstance;

// True when another instance of the scheduler runs; it is then asked to
// bring its window forward.
bool IsPreviousInstance(const SingleInstance& instance);

// The account steps after the window is shown: member status when the
// last check is more than 30 days old, the address update, the group
// functions. Only for a registered account with a member-status date.
void runStartupAccountSteps(MainForm& form);

// Centres the window, puts its top edge near the top of the screen and
// shows it.
void placeAndShow(MainForm& form);

}  // namespace torvex
