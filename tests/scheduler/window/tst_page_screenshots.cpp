// A screenshot of each of the nine pages under a real X server (Xvfb), and
// a layout check: every control gets the room its text needs and no two
// controls overlap.
#include "scheduler/window/main_form.h"
#include "tests/scheduler/support/scheduler_fixture.h"
#include "tests/support/xvfb_server.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTabBar>
#include <QtTest>

using namespace torvex;
using namespace torvex::test;

namespace {

// Where the pictures go; CI keeps this folder.
QString screenshotFolder()
{
    const QString dir = qEnvironmentVariable("TORVEX_SCREENSHOT_DIR");
    return dir.isEmpty() ? QDir(binDir()).absoluteFilePath(QStringLiteral("../screenshots")) : dir;
}

bool isControl(const QWidget* w)
{
    return qobject_cast<const QLabel*>(w) || qobject_cast<const QLineEdit*>(w)
           || qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QComboBox*>(w)
           || qobject_cast<const QListWidget*>(w) || qobject_cast<const QPlainTextEdit*>(w);
}

// The visible controls of a page and of the rest of the window (button
// row, status bar), in window coordinates.
QList<QPair<QWidget*, QRect>> visibleControls(QWidget& window, QWidget& page)
{
    const QList<QFrame*> pages = window.findChildren<QFrame*>(QStringLiteral("Frame17"));
    const auto onSomePage = [&pages](const QWidget* w) {
        return std::any_of(pages.begin(), pages.end(),
                           [w](const QFrame* p) { return p->isAncestorOf(w); });
    };
    QList<QPair<QWidget*, QRect>> out;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!isControl(w) || !w->isVisible())
            continue;
        QWidget* parent = w->parentWidget();
        if (qobject_cast<QAbstractButton*>(parent) || qobject_cast<QComboBox*>(parent)
            || qobject_cast<QTabBar*>(parent))
            continue;  // parts of a compound control
        if (onSomePage(w) && !page.isAncestorOf(w))
            continue;
        out.append({w, QRect(w->mapTo(&window, QPoint(0, 0)), w->size())});
    }
    return out;
}

}  // namespace

class TstPageScreenshots : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyPageIsReadable()
    {
        QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
                 qPrintable(QGuiApplication::platformName()));
        WindowFixture f;
        writeTorvexKey(QStringLiteral("forward1"), QStringLiteral("1,,2,"));
        writeTorvexKey(QStringLiteral("forward2"), QStringLiteral("fwd@example.org,,4930123,"));
        QVERIFY(f.load());
        MainForm& form = f.form();
        form.adjustSize();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QDir().mkpath(screenshotFolder());

        for (int n = 1; n <= 9; ++n) {
            form.switchFrame(n);
            QTest::qWait(150);
            QFrame* page = form.controls().Frame17[n - 1];
            QVERIFY(page->isVisible());

            const QString key = form.controls().TabStrip1->tabData(n - 1).toString();
            const QString file = screenshotFolder()
                                 + QStringLiteral("/page%1-%2.png").arg(n).arg(key.toLower());
            const QPixmap shot = form.screen()->grabWindow(form.winId());
            QVERIFY(!shot.isNull());
            QVERIFY(shot.save(file));
            QVERIFY(QFileInfo(file).size() > 0);

            const auto controls = visibleControls(form, *page);
            QVERIFY(controls.size() > 5);
            for (const auto& [w, rect] : controls) {
                const QSize need = w->minimumSizeHint();
                if (qobject_cast<QAbstractButton*>(w) || (qobject_cast<QLabel*>(w) && !static_cast<QLabel*>(w)->wordWrap()))
                    QVERIFY2(w->width() >= need.width() && w->height() >= need.height(),
                             qPrintable(QStringLiteral("page %1: %2 '%3' is cut").arg(n).arg(w->objectName(),
                                 w->property("text").toString())));
                QVERIFY2(QRect(QPoint(0, 0), form.size()).contains(rect),
                         qPrintable(QStringLiteral("page %1: %2 outside the window").arg(n).arg(w->objectName())));
            }
            for (int i = 0; i < controls.size(); ++i)
                for (int j = i + 1; j < controls.size(); ++j) {
                    const auto& [a, ra] = controls[i];
                    const auto& [b, rb] = controls[j];
                    if (a->isAncestorOf(b) || b->isAncestorOf(a))
                        continue;
                    QVERIFY2(!ra.intersects(rb),
                             qPrintable(QStringLiteral("page %1: '%2' overlaps '%3'")
                                            .arg(n)
                                            .arg(a->property("text").toString() + a->objectName(),
                                                 b->property("text").toString() + b->objectName())));
                }
        }
    }
};

// Starts a private X server for the test, then the application on it.
int main(int argc, char* argv[])
{
    return torvex::test::execUnderXvfb<TstPageScreenshots>(argc, argv);
}

#include "tst_page_screenshots.moc"
