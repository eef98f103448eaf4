#pragma once

#include "tests/support/test_env.h"

#include <QApplication>
#include <QProcess>
#include <QTest>

namespace torvex::test {

// A private X server for a test that needs a real one (a tray, a window
// manager's messages, screenshots). Xvfb picks a free display itself, so
// tests running at the same time never share or race for one; DISPLAY and
// the xcb platform are set for the application created after start().
class XvfbServer {
public:
    XvfbServer() = default;
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;
    ~XvfbServer() { endProcess(xvfb_); }

    [[nodiscard]] bool start()
    {
        xvfb_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                             QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                                             QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        // The display number arrives on the descriptor once the server
        // accepts connections.
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

private:
    QProcess xvfb_;
};

// The main() of a test of widgets that needs its own X server.
template <typename Test>
int execUnderXvfb(int argc, char* argv[])
{
    XvfbServer xvfb;
    if (!xvfb.start()) {
        qCritical("Xvfb did not start");
        return 1;
    }
    QApplication app(argc, argv);
    Test test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace torvex::test
