#pragma once

#include <QProcess>

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

}  // namespace torvex::test
