#include "scheduler/window/desktop_hooks.h"

#include "common/telvane_info.h"
#include "platform/maildir/maildir_profile.h"
#include "platform/settings/app_paths.h"
#include "scheduler/core/scheduler_core.h"
#include "scheduler/window/main_form.h"

namespace torvex {

std::unique_ptr<DesktopPresence> presentOnDesktop(MainForm& form)
{
    SchedulerCore& core = form.core();
    DesktopHooks hooks;
    hooks.glance = [&form, &core] {
        SchedulerGlance glance;
        glance.retrieving = core.launcher().running();
        glance.errorShown = form.isVisible(Control::errorsignal);
        glance.lastError = core.state().lastError;
        glance.scheduled = form.isChecked(Control::Check3);
        glance.minutesToNext = core.minutesToNextRetrieval();
        return glance;
    };
    hooks.getNowEnabled = [&form] { return form.isEnabled(Control::Command4); };
    hooks.getNow = [&core] { core.clicked(Control::Command4); };
    hooks.exit = [&core] { core.clicked(Control::Command2); };
    hooks.faxLog = [] {
        const std::optional<MailboxProfile> profile =
            findMailboxProfile(programFolder(), readTorvexKey(QStringLiteral("Torvex_Profile")));
        return FaxLogModel::Source{profile ? profile->maildir : QString(), programFolder()};
    };
    hooks.printUtility = [&core] { return core.state().gShellPath; };
    hooks.programFolder = programFolder();

    auto presence = std::make_unique<DesktopPresence>(form, std::move(hooks));
    DesktopPresence* shown = presence.get();
    QObject::connect(&core, &SchedulerCore::statusTextChanged, shown, &DesktopPresence::refresh);
    QObject::connect(&core, &SchedulerCore::retrievalStarted, shown, &DesktopPresence::runStarted);
    QObject::connect(&core, &SchedulerCore::retrievalEnded, shown,
                     [shown](const QString& flg, bool finished) {
                         // The test message is no retrieval.
                         shown->runEnded(flg != QLatin1String("2"), finished);
                     });
    QObject::connect(&form, &MainForm::faxLogRequested, shown, &DesktopPresence::showFaxLog);
    return presence;
}

}  // namespace torvex
