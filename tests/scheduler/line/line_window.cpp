#include "line_window.h"

#include "platform/settings/profile_api.h"
#include "scheduler/clock.h"

#include <QDir>
#include <QTimer>

namespace torvex::test {

namespace {

class NoShell final : public ShellOpener {
public:
    bool open(const QString&) override { return true; }
};

}  // namespace

LineWindow::LineWindow(const QMap<QString, QString>& settings, const QByteArray& accountIni)
{
    for (auto it = settings.begin(); it != settings.end(); ++it)
        WriteProfileStringA(QStringLiteral("TORVEX"), it.key(), it.value());
    env.writeFile(QStringLiteral("account.ini"), accountIni);
    for (const char* sub : {"cur", "new", "tmp"})
        QDir().mkpath(env.path(QStringLiteral("profiles/Torvex/") + QLatin1String(sub)));
}

bool LineWindow::load(Account accountKind)
{
    FormEnvironment e;
    e.boxes = boxes;
    e.clock = std::make_shared<FixedClock>(QDateTime(today(), QTime(10, 0)));
    e.shell = std::make_shared<NoShell>();
    e.printerNames = [] { return QStringList{QStringLiteral("TORVEX PDF")}; };
    e.printerSetup = [](QWidget*) {};
    e.endProgram = [] {};
    e.makeDialUp = makeDialUpHooks;
    e.makeLineMonitor = makeLineMonitorHooks;
    if (accountKind == Account::Recorded) {
        e.makeAccount = [this](MainForm&) {
            auto recording = std::make_unique<RecordingAccount>();
            account = recording.get();
            return std::unique_ptr<AccountHooks>(std::move(recording));
        };
    }
    form_ = std::make_unique<MainForm>(std::move(e));
    if (!form_->Form_Load())
        return false;
    c().Timer1->stop();
    return true;
}

}  // namespace torvex::test
