#include "line_window.h"

namespace torvex::test {

LineWindow::LineWindow(const QMap<QString, QString>& settings, const QByteArray& accountIni)
    : CoreFixture(settings)
{
    env.writeFile(QStringLiteral("account.ini"), accountIni);
    printers = {QStringLiteral("TORVEX PDF")};
    networkManager = true;
}

bool LineWindow::load()
{
    if (!CoreFixture::load(QDateTime(today(), QTime(10, 0))))
        return false;
    core().Timer1().stop();
    return true;
}

}  // namespace torvex::test
