#include "main_form.h"
#include "platform/settings/app_paths.h"
#include "platform/files/private_files.h"
#include "platform/desktop/single_instance.h"
#include "startup.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    torvex::keepCreatedFilesPrivate();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vxschedule"));

    // Installed, a user's first start gets the account file and help pages.
    torvex::prepareProgramFolder();
    torvex::SingleInstance instance(QStringLiteral("vxschedule"));
    if (torvex::IsPreviousInstance(instance))
        return 0;

    torvex::MainForm form(torvex::realEnvironment());
    if (!form.Form_Load())
        return 1;
    QObject::connect(&instance, &torvex::SingleInstance::activationRequested, &form,
                     &torvex::MainForm::bringForward);
    torvex::placeAndShow(form);
    torvex::runStartupAccountSteps(form);
    return app.exec();
}
