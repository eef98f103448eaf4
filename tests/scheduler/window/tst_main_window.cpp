// The window as the user meets it: start-up in its fixed order (the first
// run, the pages filled in, over the core), pages and tabs, Alt letters,
// the keystroke a field refuses, the window's place and the second start.
#include "platform/settings/profile_api.h"
#include "scheduler/window/main_form.h"
#include "scheduler/window/window_placement.h"
#include "tests/scheduler/support/scheduler_fixture.h"
#include "scheduler/schedule/schedule_engine.h"
#include "scheduler/core/program_title.h"
#include "common/mail_security.h"

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
    void tabStripSwitchesPages()
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

    void letterTypedMidFieldUndoesOnlyThatKeystroke()
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

    void centring()
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

    void secondStartBringsTheFirstForward()
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

        endProcess(first);
    }

    void missingAccountFileRefusesToStart()
    {
        CoreFixture f(registeredSettings(), false);
        const QByteArray before = f.iniText();
        QVERIFY(!f.load());
        QCOMPARE(f.boxes->texts(),
                 QStringList{QStringLiteral("Error 2\r\nMissing account file, cannot start TORVEX "
                                            "Print Scheduler")});
        QCOMPARE(f.boxes->beeps, 1);
        QCOMPARE(f.iniText(), before);
    }

    void firstRunOffersHelpAndStartsNoSchedule_data()
    {
        QTest::addColumn<bool>("yes");      // to the help question
        QTest::addColumn<bool>("browser");  // the desktop opens the help page
        QTest::newRow("help shown") << true << true;
        QTest::newRow("no browser: the readme") << true << false;
        QTest::newRow("no help") << false << true;
    }

    void firstRunOffersHelpAndStartsNoSchedule()
    {
        QFETCH(bool, yes);
        QFETCH(bool, browser);
        CoreFixture f(QMap<QString, QString>{});
        f.shell->answer = browser;
        if (!yes)
            f.boxes->answers = {MsgAnswer::No};
        QVERIFY(f.load());
        QCOMPARE(f.boxes->texts().front(), QStringLiteral("Would you like to view the SetUp Help Page now ?"));
        QCOMPARE(f.boxes->shown.front().buttons, MsgButtons::YesNo);
        QCOMPARE(f.boxes->shown.front().icon, MsgIcon::Question);
        const QString help = f.env.path(QStringLiteral("vxphlpbs.htm"));
        const QString readme = f.env.path(QStringLiteral("readme.txt"));
        const QStringList opened = !yes ? QStringList() : browser ? QStringList{help} : QStringList{help, readme};
        QCOMPARE(f.shell->opened, opened);
        QCOMPARE(f.boxes->texts().size(), browser ? 1 : 2);
        if (!browser)
            QCOMPARE(f.boxes->texts().last(), QStringLiteral("Please install Wordpad and open '") + readme
                                                  + QStringLiteral("' or a Web Browser and open '") + help + QStringLiteral("'"));
        QVERIFY(!f.core().Timer1().isActive());
        QCOMPARE(f.key(QStringLiteral("Use_Defaults")), QStringLiteral("-"));
        QVERIFY(f.view.isChecked(Control::Check11));
        QCOMPARE(f.core().state().info.gWakeProbes, 3);
        QCOMPARE(f.core().state().info.gWakeInterval, 40000);
        QVERIFY(f.view.text(Control::Text9).isEmpty());  // the pages are not filled on a first run
        QCOMPARE(f.view.tab, 1);
        QVERIFY(!f.core().state().flgLoading);

        // The next start is a normal run.
        CoreFixture again(QMap<QString, QString>{{QStringLiteral("Use_Defaults"), QStringLiteral("-")}});
        QVERIFY(again.load());
        QVERIFY(again.boxes->texts().isEmpty());
        QVERIFY(again.core().Timer1().isActive());
    }

    void normalRunFillsThePages()
    {
        CoreFixture f(registeredSettings(
            {{"forward1", "1,,2,"}, {"forward2", "fwd@example.org,,4930123,"}, {"Print_Normal_Fax", "y"}, {"Print_Page_Hdr", "y"}}));
        QVERIFY(f.load());
        QVERIFY(f.boxes->texts().isEmpty());
        QVERIFY(f.core().Timer1().isActive());
        QCOMPARE(f.core().Timer1().interval(), 60000);
        QCOMPARE(f.caption, programTitle());
        QCOMPARE(f.view.text(Control::Label45), programTitle() + QLatin1Char(' '));
        for (const auto& [field, text] :
             {std::pair{Control::Label48, " 0.8.2"}, {Control::Text2, "44"}, {Control::txtVXAddress, "4420712345@torvex.net"},
              {Control::Text13, "secret1"}, {Control::Text9, "60"}, {Control::Text30, "587"}, {Control::Text31, "me"},
              {Control::Text32, "smtp-secret"}, {Control::Text22, "15"}, {Control::Text19, "60"},
              {Control::Text23, "fwd@example.org"}, {Control::Text28, "4930123"},
              {Control::Option2, "I connect to the mail server using a &Network Card *"}})
            QCOMPARE(controlName(field) + QLatin1Char('=') + f.view.text(field), controlName(field) + QLatin1Char('=') + QString::fromUtf8(text));
        for (const Control on : {Control::Check13, Control::Check3, Control::Check8, Control::Check16, Control::Option3,
                                 Control::Check18, Control::Option8, Control::Option2, Control::Check7})
            QVERIFY2(f.view.isChecked(on), qPrintable(controlName(on)));
        for (const Control off : {Control::Check17, Control::Option1})
            QVERIFY2(!f.view.isChecked(off), qPrintable(controlName(off)));
        QVERIFY(f.view.isEnabled(Control::Text9));
        QVERIFY(f.view.isEnabled(Control::Text12));
        QVERIFY(!f.view.isEnabled(Control::Check14));
        QCOMPARE(f.view.currentIndex(Control::Combo3), int(MailSecurity::None));
        QCOMPARE(f.view.currentIndex(Control::Combo4), int(MailSecurity::StartTlsRequired));
        QCOMPARE(f.core().state().countdown, 60);
        QCOMPARE(f.core().state().gRegularFaxInterval, 15);
        QCOMPARE(f.view.text(Control::Text21), f.core().state().gLocalIPAddr);
        QVERIFY(f.view.text(Control::Check5).startsWith(QStringLiteral("You can use this schedule")));
    }

    void printersWithFaxOrRenderingAreNotListed()
    {
        CoreFixture f;
        f.printers = {QStringLiteral("hp_faxmodem"), QStringLiteral("Office_Laser"),
                      QStringLiteral("XPS RENDERING"), QStringLiteral("TORVEX PDF")};
        QVERIFY(f.load());
        QCOMPARE(f.view.entries(Control::Combo2), (QStringList{QStringLiteral("Office_Laser"), QStringLiteral("TORVEX PDF")}));
        QCOMPARE(f.view.text(Control::Combo2), QStringLiteral("Office_Laser"));
    }

    void torvexAddressSplit_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("registered");
        QTest::addColumn<QString>("button");  // the account button's caption
        QTest::addColumn<bool>("retrieval");  // "&Get TORVEXes NOW" enabled
        QTest::addColumn<bool>("profilePage");
        QTest::newRow("registered") << "4420712345@torvex.net" << true << "Update Account" << true << true;
        QTest::newRow("not registered") << "4420712345@torvex.net" << false << "&Set Up Address" << false << true;
        QTest::newRow("no @") << "nobody" << true << "&Set Up Address" << false << true;
        // The profile page is the service's only.
        QTest::newRow("another domain") << "me@example.org" << true << "&Set Up Address" << false << false;
    }

    void torvexAddressSplit()
    {
        QFETCH(QString, address);
        QFETCH(bool, registered);
        QFETCH(QString, button);
        QFETCH(bool, retrieval);
        QFETCH(bool, profilePage);
        QMap<QString, QString> s = registeredSettings({{"Torvex_Addr", address}});
        if (!registered)
            s.remove(QStringLiteral("Account_Date_Stamp"));
        CoreFixture f(s);
        QVERIFY(f.load());
        QCOMPARE(f.view.text(Control::Command6), button);
        QCOMPARE(f.view.isEnabled(Control::Command4), retrieval);
        QCOMPARE(f.view.isVisible(Control::Frame8), profilePage);
        QCOMPARE(f.view.isEnabled(Control::txtFirstName), !retrieval);
        QVERIFY(!f.view.text(Control::Label31).contains(QLatin1String("nobody")));
        if (retrieval) {
            QVERIFY(f.view.isEnabled(Control::Command5));
            QCOMPARE(f.core().state().gLogin, QStringLiteral("4420712345"));
        }
    }
};

QTEST_MAIN(TstMainWindow)
#include "tst_main_window.moc"
