#pragma once

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
    ~XvfbServer();

    [[nodiscard]] bool start();

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
