#pragma once

#include "scheduler/core/clock.h"
#include "scheduler/core/core_environment.h"
#include "scheduler/core/scheduler_core.h"
#include "tests/scheduler/support/fake_view.h"
#include "tests/support/recording_message_boxes.h"
#include "tests/support/test_env.h"

#include <QMap>
#include <QStringList>

#include <memory>

namespace torvex {
class MainForm;
struct FormControls;
}

namespace torvex::test {

// Records what the scheduler opens with the desktop; answers with a fixed value.
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
    QString choose(const QString&) override
    {
        ++calls;
        return answer;
    }
    QString answer;
    int calls = 0;
};

// Settings of a registered account on the service's domain, scheduling on,
// a profile and a printer: everything Apply needs to pass.
[[nodiscard]] QMap<QString, QString> registeredSettings();
// The same with some keys changed.
[[nodiscard]] QMap<QString, QString> registeredSettings(std::initializer_list<std::pair<const char*, QString>> changes);

// A private settings file and program folder, recorded message boxes, a
// fixed clock and recorded desktop calls; no modem is watched, and the
// service is at a loopback port nobody serves.
class SchedulerFixture {
public:
    // settings are written to [TORVEX] first; account.ini is made unless
    // withAccountFile is false.
    explicit SchedulerFixture(const QMap<QString, QString>& settings = registeredSettings(),
                              bool withAccountFile = true);

    [[nodiscard]] QString key(const QString& name) const;  // [TORVEX] value, "<absent>" if none
    [[nodiscard]] QByteArray iniText() const;
    // Writes a print utility (a shell script) into the program folder; by
    // default one that appends its switch to launches.log and ends, which
    // launches() reads back.
    void installUtility(const QString& name = QStringLiteral("vxprintu"),
                        const QByteArray& body = "echo \"$1\" >> \"$TORVEX_HOME/launches.log\"\n");
    [[nodiscard]] QStringList launches() const;
    // Links the built print utility into the program folder.
    void linkRealUtility() const;

    TestEnv env;
    std::shared_ptr<RecordingMessageBoxes> boxes = std::make_shared<RecordingMessageBoxes>();
    std::shared_ptr<FixedClock> clock;
    std::shared_ptr<RecordingShell> shell = std::make_shared<RecordingShell>();
    std::shared_ptr<ScriptedChooser> chooser = std::make_shared<ScriptedChooser>();
    QStringList printers{QStringLiteral("Office_Laser"), QStringLiteral("Fax"),
                         QStringLiteral("TORVEX PDF")};
    int endCalls = 0;
    // Without it the PC has no NetworkManager, hence no dial-up; a test
    // that wants one puts a FakeNmcli on PATH and sets this.
    bool networkManager = false;

protected:
    [[nodiscard]] CoreEnvironment environment(const QDateTime& now);
};

inline const QDateTime kLoadTime{QDate(2024, 3, 12), QTime(10, 0)};

// The scheduler core over a window kept in memory.
class CoreFixture : public SchedulerFixture {
public:
    using SchedulerFixture::SchedulerFixture;

    // Builds the core and runs its loading steps; false when loading ended
    // the program.
    bool load(const QDateTime& now = kLoadTime);
    [[nodiscard]] SchedulerCore& core() { return *core_; }
    [[nodiscard]] QString statusText() const { return core_->statusBar().text(); }

    FakeView view;
    QStringList statusSeen;  // every status text, in order
    QString caption;         // the window's caption as the core set it last

private:
    std::unique_ptr<SchedulerCore> core_;
};

// The core with its real dial-up and line monitor: NetworkManager is
// whatever PATH holds (a FakeNmcli in these tests), the modems are the ones
// the settings name. The schedule's ticks are stopped once loaded, so they
// cannot rewrite the status bar mid-test.
class LineFixture : public CoreFixture {
public:
    explicit LineFixture(const QMap<QString, QString>& settings) : CoreFixture(settings)
    {
        printers = {QStringLiteral("TORVEX PDF")};
        networkManager = true;
    }
    bool load() { return CoreFixture::load() && (core().Timer1().stop(), true); }
};

// The real window over its core, offscreen.
class WindowFixture : public SchedulerFixture {
public:
    using SchedulerFixture::SchedulerFixture;
    ~WindowFixture();

    bool load(const QDateTime& now = kLoadTime);
    // Shows the window and waits until it is active, so focus moves are real.
    void showActive();
    [[nodiscard]] MainForm& form() { return *form_; }
    [[nodiscard]] FormControls& c();
    [[nodiscard]] SchedulerCore& core();

private:
    std::unique_ptr<MainForm> form_;
};

}  // namespace torvex::test
