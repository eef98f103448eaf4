#pragma once

#include "platform/desktop/message_box.h"
#include "scheduler/clock.h"
#include "scheduler/form_environment.h"
#include "scheduler/main_form.h"
#include "tests/support/test_env.h"

#include <QMap>
#include <QStringList>

#include <memory>
#include <optional>

namespace torvex::test {

// Records what the window opens with the desktop; answers from a list.
class RecordingShell final : public ShellOpener {
public:
    bool open(const QString& pathOrUrl) override
    {
        opened << pathOrUrl;
        return answer;
    }
    QStringList opened;
    bool answer = true;
};

// Answers the profile chooser with a fixed name (empty: cancelled).
class ScriptedChooser final : public ProfileChooser {
public:
    QString choose(const QString&, QWidget*) override
    {
        ++calls;
        return answer;
    }
    QString answer;
    int calls = 0;
};

// Records the account calls the window makes.
class RecordingAccount final : public AccountHooks {
public:
    void LoadAccountInfo() override { calls << QStringLiteral("LoadAccountInfo"); }
    void ShowUserProfile(bool show) override
    {
        calls << QStringLiteral("ShowUserProfile(%1)").arg(show ? "true" : "false");
    }
    bool CheckMemberStatus() override
    {
        calls << QStringLiteral("CheckMemberStatus");
        return memberStatusChanged;
    }
    void ResetGroupFunctions() override { calls << QStringLiteral("ResetGroupFunctions"); }
    void SaveAccountInfo(int flag, bool box) override
    {
        calls << QStringLiteral("SaveAccountInfo(%1,%2)").arg(flag).arg(box ? "true" : "false");
    }
    bool gHTTPOK() const override { return httpOk; }
    void UpdatedbLocalIPAddress() override { calls << QStringLiteral("UpdatedbLocalIPAddress"); }
    void updateLocalIPAddress() override { calls << QStringLiteral("updateLocalIPAddress"); }
    void SavePublicIPAddress() override { calls << QStringLiteral("SavePublicIPAddress"); }
    QString lookUpLocalIPAddress() override { return localAddress; }
    void Command6_Click() override { calls << QStringLiteral("Command6_Click"); }

    QStringList calls;
    bool memberStatusChanged = false;
    bool httpOk = false;
    QString localAddress = QStringLiteral("192.168.1.20");
};

// A PC without dial-up networking.
class NoDialUp final : public DialUpHooks {
public:
    bool installed() override { return false; }
    QStringList phoneBookEntries() override { return {}; }
    bool connected() override { return false; }
    QString statusText() override { return {}; }
    QString currentEntry() override { return {}; }
    void setCurrentEntry(const QString&) override {}
    bool IsDialUpConnected() override { return false; }
    void DisConnectDialUp() override {}
};

// A PC without modems: the line monitor records its commands only.
class RecordingLineMonitor final : public LineMonitorHooks {
public:
    void ClearHandles() override { calls << QStringLiteral("ClearHandles"); }
    void TapiStart() override { calls << QStringLiteral("TapiStart"); }
    void TapiGetDevCaps() override { calls << QStringLiteral("TapiGetDevCaps"); }
    void LineMonitor(int index) override { calls << QStringLiteral("LineMonitor(%1)").arg(index); }
    void shutDown() override { calls << QStringLiteral("shutDown"); }
    QStringList calls;
};

// Settings of a registered account on the service's domain, scheduling on,
// a profile and a printer: everything Apply needs to pass.
[[nodiscard]] QMap<QString, QString> registeredSettings();

// A window over a private settings file and program folder, with recorded
// message boxes, a fixed clock and recorded desktop calls.
class FormFixture {
public:
    // settings are written to [TORVEX] before loading; account.ini is made
    // unless withAccountFile is false.
    explicit FormFixture(const QMap<QString, QString>& settings = registeredSettings(),
                         bool withAccountFile = true);

    // Builds the window and runs its loading steps; false when loading ended
    // the program.
    bool load(const QDateTime& now = QDateTime(QDate(2024, 3, 12), QTime(10, 0)));
    // Shows the window and waits until it is active, so focus moves are real.
    void showActive();

    [[nodiscard]] MainForm& form() { return *form_; }
    [[nodiscard]] FormControls& c() { return form_->controls(); }
    [[nodiscard]] QString key(const QString& name) const;  // [TORVEX] value, "<absent>" if none
    [[nodiscard]] QByteArray iniText() const;

    // Types into a field the way a user does: focus, keys.
    static void typeInto(QWidget* field, const QString& text);
    // Leaves the focused field for another one (a tab to target).
    static void leaveTo(QWidget* target);

    TestEnv env;
    std::shared_ptr<RecordingMessageBoxes> boxes = std::make_shared<RecordingMessageBoxes>();
    std::shared_ptr<FixedClock> clock;
    std::shared_ptr<RecordingShell> shell = std::make_shared<RecordingShell>();
    std::shared_ptr<ScriptedChooser> chooser = std::make_shared<ScriptedChooser>();
    bool realAccount = false;  // the window's own account code instead of a recording
    RecordingAccount* account = nullptr;  // owned by the window; null with the real account
    RecordingLineMonitor* line = nullptr;  // owned by the window
    QStringList printers{QStringLiteral("Office_Laser"), QStringLiteral("Fax"),
                         QStringLiteral("TORVEX PDF")};
    int endCalls = 0;

private:
    std::unique_ptr<MainForm> form_;
};

}  // namespace torvex::test
