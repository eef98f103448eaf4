#include "xvfb_run.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

namespace torvex::test {

int runUnderXvfb(int firstDisplay, int& argc, char** argv, const std::function<int()>& tests)
{
    int display = firstDisplay;
    while (QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(display)))
        ++display;
    QProcess xvfb;
    xvfb.start(QStringLiteral("Xvfb"), {QStringLiteral(":%1").arg(display), QStringLiteral("-screen"), QStringLiteral("0"),
                                         QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!xvfb.waitForStarted(5000)) {
        qCritical("Xvfb did not start");
        return 1;
    }
    const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(display);
    for (int i = 0; i < 100 && !QFileInfo::exists(socket); ++i)
        QThread::msleep(50);
    qputenv("DISPLAY", QStringLiteral(":%1").arg(display).toLatin1());
    qputenv("QT_QPA_PLATFORM", "xcb");
    int result = 0;
    {
        QApplication app(argc, argv);
        result = tests();
    }
    xvfb.terminate();
    xvfb.waitForFinished(5000);
    return result;
}

}  // namespace torvex::test
