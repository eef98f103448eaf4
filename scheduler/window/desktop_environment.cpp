#include "scheduler/window/desktop_environment.h"

#include "platform/desktop/message_box.h"
#include "platform/print/printer_list.h"
#include "scheduler/core/clock.h"

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

}  // namespace

CoreEnvironment desktopEnvironment()
{
    CoreEnvironment env;
    env.boxes = std::shared_ptr<MessageBoxes>(makeMessageBoxes());
    env.clock = std::make_shared<SystemClock>();
    env.shell = std::make_shared<DesktopShell>();
    env.printerNames = systemPrinterNames;
    env.endProgram = [] { std::exit(0); };
    return env;
}

void showPrinterSetup(QWidget* parent)
{
    QPrinter printer;
    QPrintDialog dialog(&printer, parent);
    dialog.setOptions(QAbstractPrintDialog::PrintShowPageSize);
    dialog.exec();
}

}  // namespace torvex
