#pragma once

#include "platform/desktop/message_box.h"

#include <functional>

namespace torvex {

// The scheduler's message boxes. While a retrieval that nobody asked for
// runs (started by the schedule or by a ring), a box would hold it until
// someone came to click it: then the text goes to notice instead and the
// box is answered at once (OK; No to a question). Otherwise the boxes are
// shown as usual.
class UnattendedBoxes final : public MessageBoxes {
public:
    UnattendedBoxes(MessageBoxes& boxes, const bool& unattended,
                    std::function<void(const QString&)> notice)
        : boxes_(boxes), unattended_(unattended), notice_(std::move(notice))
    {
    }

    void beep() override { boxes_.beep(); }
    MsgAnswer show(const QString& text, const QString& caption, MsgButtons buttons,
                   MsgIcon icon) override;

private:
    MessageBoxes& boxes_;
    const bool& unattended_;
    std::function<void(const QString&)> notice_;
};

// Marks the window's state as attended or not while it lives, and restores
// what it was: a scheduled run is unattended, a click inside its wait is not.
class AttendanceScope {
public:
    AttendanceScope(bool& unattended, bool value) : flag_(unattended), before_(unattended)
    {
        flag_ = value;
    }
    ~AttendanceScope() { flag_ = before_; }
    AttendanceScope(const AttendanceScope&) = delete;
    AttendanceScope& operator=(const AttendanceScope&) = delete;

private:
    bool& flag_;
    bool before_;
};

}  // namespace torvex
