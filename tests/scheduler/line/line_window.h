#pragma once

#include "platform/desktop/message_box.h"
#include "scheduler/main_form.h"
#include "tests/scheduler/form_fixture.h"
#include "tests/support/test_env.h"

#include <QDate>
#include <QMap>

#include <memory>

namespace torvex::test {

// The scheduler's window with its real dial-up and line monitor, over a
// private settings file and program folder, recorded message boxes and a
// fixed clock. The account is recorded unless the real one is asked for.
class LineWindow {
public:
    enum class Account { Recorded, Real };

    explicit LineWindow(const QMap<QString, QString>& settings, const QByteArray& accountIni = "[MYINFO]\n");

    // Builds the window and runs its loading steps; the schedule's ticks are
    // stopped, so they cannot rewrite the status bar mid-test.
    bool load(Account account = Account::Recorded);

    // The fixed clock's day.
    [[nodiscard]] static QDate today() { return {2024, 3, 12}; }

    [[nodiscard]] MainForm& form() { return *form_; }
    [[nodiscard]] FormControls& c() { return form_->controls(); }

    TestEnv env;
    std::shared_ptr<RecordingMessageBoxes> boxes = std::make_shared<RecordingMessageBoxes>();
    RecordingAccount* account = nullptr;  // owned by the window; null with the real account

private:
    std::unique_ptr<MainForm> form_;
};

}  // namespace torvex::test
