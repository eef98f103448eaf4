#include "tests/support/xvfb_server.h"

namespace torvex::test {

XvfbServer::~XvfbServer()
{
    if (xvfb_.state() == QProcess::NotRunning)
        return;
    xvfb_.terminate();
    if (!xvfb_.waitForFinished(5000))
        xvfb_.kill();
}

bool XvfbServer::start()
{
    xvfb_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                         QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                                         QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    // The display number arrives on the descriptor once the server accepts
    // connections.
    QByteArray display;
    while (!display.endsWith('\n') && xvfb_.waitForReadyRead(10000))
        display += xvfb_.readAllStandardOutput();
    display = display.trimmed();
    if (display.isEmpty())
        return false;
    qputenv("DISPLAY", ":" + display);
    qputenv("QT_QPA_PLATFORM", "xcb");
    return true;
}

}  // namespace torvex::test
