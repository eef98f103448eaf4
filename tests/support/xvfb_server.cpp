#include "tests/support/xvfb_server.h"

#include "tests/support/test_env.h"

namespace torvex::test {

XvfbServer::~XvfbServer()
{
    endProcess(xvfb_);
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
