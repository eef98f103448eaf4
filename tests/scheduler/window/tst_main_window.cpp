// The window as the user meets it: pages and tabs, Alt letters, the
// keystroke a field refuses, the window's place and the second start.
#include "platform/settings/profile_api.h"
#include "scheduler/window/main_form.h"
#include "scheduler/window/window_placement.h"
#include "tests/scheduler/support/scheduler_fixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QStackedLayout>
#include <QTabBar>
#include <QtTest>

using namespace torvex;
using namespace torvex::test;

class TstMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tabStripSwitchesPages();
    void letterTypedMidFieldUndoesOnlyThatKeystroke();
    void centring();
    void secondStartBringsTheFirstForward();
};

void TstMainWindow::tabStripSwitchesPages()
{
    WindowFixture f;
    QVERIFY(f.load());
    FormControls& c = f.c();
    c.TabStrip1->setCurrentIndex(4);
    QCOMPARE((f.form().currentTab() - 1), 4);
    QCOMPARE(c.pageStack->currentWidget(), c.Frame17[4]);
    f.form().switchFrame(8);
    QCOMPARE(c.TabStrip1->currentIndex(), 7);
    QCOMPARE(c.pageStack->currentWidget(), c.Frame17[7]);
    QCOMPARE(c.TabStrip1->tabText(7), QStringLiteral("&Forwarding"));
    QCOMPARE(c.TabStrip1->tabData(7).toString(), QStringLiteral("FORWARD"));
    // While loading, the tab strip leaves the page as it is.
    f.core().state().flgLoading = true;
    c.TabStrip1->setCurrentIndex(0);
    QCOMPARE((f.form().currentTab() - 1), 7);
    f.core().state().flgLoading = false;

    // The visible page's captions win the Alt letters they share with tabs
    // and buttons; the other letters switch pages.
    f.form().switchFrame(2);
    f.form().switchFrame(1);
    f.showActive();
    const std::pair<Qt::Key, QWidget*> presses[] = {
        {Qt::Key_A, c.txtVXAddress}, {Qt::Key_A, c.txtVXAddress}, {Qt::Key_P, c.Text13},
        {Qt::Key_R, c.Text14},       {Qt::Key_C, c.Text2},        {Qt::Key_D, c.Text3},
    };
    for (const auto& [key, field] : presses) {
        QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
        QCOMPARE((f.form().currentTab() - 1), 0);
        QCOMPARE(QApplication::focusWidget(), field);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_M, Qt::AltModifier);
    QCOMPARE((f.form().currentTab() - 1), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
    QCOMPARE((f.form().currentTab() - 1), 1);
    QCOMPARE(QApplication::focusWidget(), c.Text6);
}

void TstMainWindow::letterTypedMidFieldUndoesOnlyThatKeystroke()
{
    WindowFixture f;
    QVERIFY(f.load());
    f.showActive();
    QLineEdit* cycle = f.c().Text9;
    cycle->setText(QStringLiteral("12"));
    cycle->setFocus(Qt::TabFocusReason);
    cycle->setCursorPosition(1);
    QTest::keyClicks(cycle, QStringLiteral("x"));
    QCOMPARE(cycle->text(), QStringLiteral("12"));
    QCOMPARE(f.boxes->texts().size(), 1);
    // Digits still go in where they are typed.
    QTest::keyClicks(cycle, QStringLiteral("0"));
    QCOMPARE(cycle->text(), QStringLiteral("102"));
    QCOMPARE(f.boxes->texts().size(), 1);
}

void TstMainWindow::centring()
{
    QWidget window;
    window.resize(400, 300);
    CNTRFORM(window);
    const QRect screen = window.screen()->geometry();
    const QSize size = window.frameGeometry().size();
    QCOMPARE(window.pos().y(), screen.y() + int(float(screen.height()) * 0.85f / 2.0f
                                                 - float(size.height()) / 2.0f));
    QCOMPARE(window.pos().x(), screen.x() + int(float(screen.width()) / 2.0f
                                                 - float(size.width()) / 2.0f));
}

void TstMainWindow::secondStartBringsTheFirstForward()
{
    TestEnv env;
    env.writeFile(QStringLiteral("account.ini"), "[MYINFO]\n");
    WriteProfileStringA(QStringLiteral("TORVEX"), QStringLiteral("Use_Defaults"), QStringLiteral("-"));
    QProcess first;
    first.setProcessChannelMode(QProcess::MergedChannels);
    first.start(binDir() + QStringLiteral("/vxschedule"), {});
    QVERIFY(first.waitForStarted(10000));
    QTest::qWait(1500);  // until it holds the instance lock
    QCOMPARE(first.state(), QProcess::Running);

    const ProcessResult second = runProgram(QStringLiteral("vxschedule"), {}, 15000);
    QVERIFY(second.finished);
    QCOMPARE(second.exitCode, 0);
    QCOMPARE(first.state(), QProcess::Running);

    first.terminate();
    if (!first.waitForFinished(5000)) {
        first.kill();
        first.waitForFinished(5000);
    }
}

QTEST_MAIN(TstMainWindow)
#include "tst_main_window.moc"
