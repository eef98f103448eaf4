#pragma once

#include "platform/desktop/message_box.h"

#include <QStringList>

#include <vector>

namespace torvex {

// Records every box and answers from a queue (OK or Yes once the queue is
// empty).
class RecordingMessageBoxes final : public MessageBoxes {
public:
    struct Shown {
        QString text;
        QString caption;
        MsgButtons buttons;
        MsgIcon icon;
    };

    void beep() override { ++beeps; }
    MsgAnswer show(const QString& text, const QString& caption, MsgButtons buttons,
                   MsgIcon icon) override
    {
        shown.push_back({text, caption, buttons, icon});
        if (answers.empty())
            return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
        const MsgAnswer answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }

    [[nodiscard]] QStringList texts() const
    {
        QStringList out;
        for (const Shown& box : shown)
            out << box.text;
        return out;
    }

    std::vector<Shown> shown;
    std::vector<MsgAnswer> answers;  // consumed from the front
    int beeps = 0;
};

}  // namespace torvex
