#pragma once

#include <QString>

#include <memory>

namespace torvex {

enum class MsgButtons { Ok, YesNo };
enum class MsgIcon { None, Information, Exclamation, Question, Critical };
enum class MsgAnswer { Ok, Yes, No };

// The one way the programs talk to the user in a box. The programs beep
// before most boxes; beep() is part of the interface so tests can see it.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void beep() = 0;
    virtual MsgAnswer show(const QString& text, const QString& caption, MsgButtons buttons,
                           MsgIcon icon) = 0;
};

// QMessageBox and QApplication::beep(); needs a QApplication.
class WidgetMessageBoxes final : public MessageBoxes {
public:
    void beep() override;
    MsgAnswer show(const QString& text, const QString& caption, MsgButtons buttons,
                   MsgIcon icon) override;
};

// For a run without a display: the text goes to standard error and the
// box is answered with its first button (OK, or Yes).
class StderrMessageBoxes final : public MessageBoxes {
public:
    void beep() override {}
    MsgAnswer show(const QString& text, const QString& caption, MsgButtons buttons,
                   MsgIcon icon) override;
};

// True when the process has a display to show windows on (not the
// offscreen or minimal platform).
[[nodiscard]] bool hasDisplay();

// The boxes that fit the running application: widgets with a display,
// standard error without one.
[[nodiscard]] std::unique_ptr<MessageBoxes> makeMessageBoxes();

}  // namespace torvex
