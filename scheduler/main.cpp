#include "platform/desktop/single_instance.h"
#include "platform/files/private_files.h"
#include "platform/settings/app_paths.h"
#include "scheduler/core/scheduler_core.h"
#include "scheduler/window/desktop_environment.h"
#include "scheduler/window/desktop_hooks.h"
#include "scheduler/window/main_form.h"
#include "scheduler/window/window_placement.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    torvex::keepCreatedFilesPrivate();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vxschedule"));

    // Installed, a user's first start gets the account file and help pages.
    torvex::prepareProgramFolder();
    // A second start brings the running window forward and ends.
    torvex::SingleInstance instance(QStringLiteral("vxschedule"));
    if (instance.isPreviousInstance()) {
        instance.activatePrevious();
        return 0;
    }

    torvex::MainForm form(torvex::desktopEnvironment());
    if (!form.core().Form_Load())
        return 1;
    QObject::connect(&instance, &torvex::SingleInstance::activationRequested, &form,
                     &torvex::MainForm::bringForward);
    torvex::placeAndShow(form);
    const auto desktop = torvex::presentOnDesktop(form);
    form.core().runStartupAccountSteps();
    return app.exec();
}
