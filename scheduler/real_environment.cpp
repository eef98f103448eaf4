#include "clock.h"
#include "form_environment.h"
#include "platform/desktop/message_box.h"
#include "platform/print/printer_list.h"
#include "profile_chooser_dialog.h"

#include <QDesktopServices>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>

#include <cstdlib>

namespace torvex {
namespace {

class DesktopShell final : public ShellOpener {
public:
    bool open(const QString& pathOrUrl) override
    {
        const QUrl url = pathOrUrl.contains(QLatin1String("://")) ? QUrl(pathOrUrl)
                                                                  : QUrl::fromLocalFile(pathOrUrl);
        return QDesktopServices::openUrl(url);
    }
};

void showPrinterSetup(QWidget* parent)
{
    QPrinter printer;
    QPrintDialog dialog(&printer, parent);
    dialog.setOptions(QAbstractPrintDialog::PrintShowPageSize);
    dialog.exec();
}

}  // namespace

FormEnvironment realEnvironment()
{
    FormEnvironment env;
    env.boxes = std::shared_ptr<MessageBoxes>(makeMessageBoxes());
    env.clock = std::make_shared<SystemClock>();
    env.shell = std::make_shared<DesktopShell>();
    env.profileChooser = std::make_shared<ProfileChooserDialog>();
    env.printerNames = systemPrinterNames;
    env.printerSetup = showPrinterSetup;
    env.endProgram = [] { std::exit(0); };
    return env;
}

}  // namespace torvex
