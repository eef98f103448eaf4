// Start-up of the scheduler: loading the window in its fixed order, the
// first run, the account steps, page switching and the second instance.
#include "form_fixture.h"
#include "scheduler/cntrform.h"
#include "scheduler/schedule_engine.h"
#include "scheduler/startup.h"
#include "scheduler/system_date.h"
#include "platform/settings/profile_api.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStackedLayout>
#include <QTabBar>
#include <QTimer>
#include <QtTest>

using namespace torvex;
using namespace torvex::test;

class TstFormLoad : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void missingAccountFileRefusesToStart();
    void firstRunOffersHelpAndStartsNoSchedule();
    void firstRunHelpFallsBackToTheReadme();
    void normalRunFillsThePages();
    void printersWithFaxOrRenderingAreNotListed();
    void torvexAddressSplit();
    void accountStepsAtStart();
    void tabStripSwitchesPages();
    void centring();
    void secondStartBringsTheFirstForward();
};

void TstFormLoad::missingAccountFileRefusesToStart()
{
    FormFixture f(registeredSettings(), false);
    const QByteArray before = f.iniText();
    QVERIFY(!f.load());
    QCOMPARE(f.boxes->texts(),
             QStringList{QStringLiteral("Error 2\r\nMissing account file, cannot start TORVEX "
                                        "Print Scheduler")});
    QCOMPARE(f.boxes->beeps, 1);
    QCOMPARE(f.iniText(), before);
}

void TstFormLoad::firstRunOffersHelpAndStartsNoSchedule()
{
    FormFixture f(QMap<QString, QString>{});
    QVERIFY(f.load());
    QCOMPARE(f.boxes->texts(),
             QStringList{QStringLiteral("Would you like to view the SetUp Help Page now ?")});
    QCOMPARE(f.boxes->shown.front().buttons, MsgButtons::YesNo);
    QCOMPARE(f.boxes->shown.front().icon, MsgIcon::Question);
    QCOMPARE(f.shell->opened, QStringList{f.env.path(QStringLiteral("vxphlpbs.htm"))});
    QVERIFY(!f.c().Timer1->isActive());
    QCOMPARE(f.key(QStringLiteral("Use_Defaults")), QStringLiteral("-"));
    QVERIFY(f.c().Check11->isChecked());
    QCOMPARE(f.form().state().info.gWakeProbes, 3);
    QCOMPARE(f.form().state().info.gWakeInterval, 40000);
    QVERIFY(f.c().Text9->text().isEmpty());  // the pages are not filled on a first run
    QCOMPARE(f.form().state().currentPage, 0);
    QVERIFY(!f.form().state().flgLoading);

    // The next start is a normal run.
    FormFixture again(QMap<QString, QString>{{QStringLiteral("Use_Defaults"), QStringLiteral("-")}});
    QVERIFY(again.load());
    QVERIFY(again.boxes->texts().isEmpty());
    QVERIFY(again.c().Timer1->isActive());
}

void TstFormLoad::firstRunHelpFallsBackToTheReadme()
{
    FormFixture f(QMap<QString, QString>{});
    f.shell->answer = false;
    QVERIFY(f.load());
    const QString help = f.env.path(QStringLiteral("vxphlpbs.htm"));
    const QString readme = f.env.path(QStringLiteral("readme.txt"));
    QCOMPARE(f.shell->opened, (QStringList{help, readme}));
    QCOMPARE(f.boxes->texts().last(), QStringLiteral("Please install Wordpad and open '") + readme
                                          + QStringLiteral("' or a Web Browser and open '") + help
                                          + QStringLiteral("'"));

    FormFixture no(QMap<QString, QString>{});
    no.boxes->answers = {MsgAnswer::No};
    QVERIFY(no.load());
    QVERIFY(no.shell->opened.isEmpty());
}

void TstFormLoad::normalRunFillsThePages()
{
    QMap<QString, QString> s = registeredSettings();
    s.insert(QStringLiteral("forward1"), QStringLiteral("1,,2,"));
    s.insert(QStringLiteral("forward2"), QStringLiteral("fwd@example.org,,4930123,"));
    s.insert(QStringLiteral("Print_Normal_Fax"), QStringLiteral("y"));
    FormFixture f(s);
    QVERIFY(f.load());
    FormControls& c = f.c();
    QVERIFY(f.boxes->texts().isEmpty());
    QVERIFY(c.Timer1->isActive());
    QCOMPARE(c.Timer1->interval(), 60000);
    QCOMPARE(f.form().windowTitle(), MainForm::title());
    QCOMPARE(c.Label45->text(), MainForm::title() + QLatin1Char(' '));
    QCOMPARE(c.Label48->text(), QStringLiteral(" 0.8.2"));
    QCOMPARE(c.Text2->text(), QStringLiteral("44"));
    QCOMPARE(c.txtVXAddress->text(), QStringLiteral("4420712345@torvex.net"));
    QCOMPARE(c.Text13->text(), QStringLiteral("secret1"));
    QVERIFY(c.Check13->isChecked());
    QCOMPARE(c.Text9->text(), QStringLiteral("60"));
    QCOMPARE(c.Combo3->currentText(), QStringLiteral("None"));
    QCOMPARE(c.Combo4->currentText(), QStringLiteral("STARTTLS required"));
    QCOMPARE(c.Text30->text(), QStringLiteral("587"));
    QCOMPARE(c.Text31->text(), QStringLiteral("me"));
    QCOMPARE(c.Text32->text(), QStringLiteral("smtp-secret"));
    QCOMPARE(c.Text22->text(), QStringLiteral("15"));
    QVERIFY(c.Check3->isChecked());
    QVERIFY(c.Text9->isEnabled());
    QVERIFY(c.Check8->isChecked());
    QVERIFY(c.Text12->isEnabled());
    QCOMPARE(c.Text19->text(), QStringLiteral("60"));
    QCOMPARE(f.form().state().countdown, 60);
    QCOMPARE(f.form().state().gRegularFaxInterval, 15);
    QVERIFY(c.Check16->isChecked() && c.Option3->isChecked());
    QCOMPARE(c.Text23->text(), QStringLiteral("fwd@example.org"));
    QVERIFY(!c.Check17->isChecked());
    QVERIFY(c.Check18->isChecked() && c.Option8->isChecked());
    QCOMPARE(c.Text28->text(), QStringLiteral("4930123"));
    QVERIFY(c.Option2->isChecked());
    QVERIFY(!c.Option1->isChecked());
    QVERIFY(!c.Check14->isEnabled());
    QCOMPARE(c.Option2->text(), QStringLiteral("I connect to the mail server using a &Network Card *"));
    QCOMPARE(c.Text21->text(), QStringLiteral("192.168.1.20"));
    QCOMPARE(f.form().state().gLocalIPAddr, QStringLiteral("192.168.1.20"));
    QVERIFY(c.Check5->text().startsWith(QStringLiteral("You can use this schedule")));
    QCOMPARE(f.form().statusText(),
             f.form().schedule().myDateTime()
                 + QStringLiteral("  Next TORVEX retrieval scheduled in 60 minutes."));
    QVERIFY(f.account->calls.contains(QStringLiteral("LoadAccountInfo")));
    QCOMPARE(f.line->calls, (QStringList{QStringLiteral("ClearHandles"), QStringLiteral("TapiStart"),
                                         QStringLiteral("TapiGetDevCaps"),
                                         QStringLiteral("LineMonitor(0)")}));
    // Closing the window drops and closes the line.
    f.line->calls.clear();
    f.form().close();
    QCOMPARE(f.line->calls,
             (QStringList{QStringLiteral("LineMonitor(2)"), QStringLiteral("shutDown")}));
}

void TstFormLoad::printersWithFaxOrRenderingAreNotListed()
{
    FormFixture f;
    f.printers = {QStringLiteral("hp_faxmodem"), QStringLiteral("Office_Laser"),
                  QStringLiteral("XPS RENDERING"), QStringLiteral("TORVEX PDF")};
    QVERIFY(f.load());
    QCOMPARE(f.c().Combo2->count(), 2);
    QCOMPARE(f.c().Combo2->itemText(0), QStringLiteral("Office_Laser"));
    QCOMPARE(f.c().Combo2->itemText(1), QStringLiteral("TORVEX PDF"));
    QCOMPARE(f.c().Combo2->currentText(), QStringLiteral("Office_Laser"));
}

void TstFormLoad::torvexAddressSplit()
{
    {
        FormFixture f;
        QVERIFY(f.load());
        QCOMPARE(f.c().Label31->text(), QStringLiteral(" 4420712345@torvex.net "));
        QCOMPARE(f.c().Command6->text(), QStringLiteral("Update Account"));
        QVERIFY(f.c().Command4->isEnabled());
        QVERIFY(f.c().Command5->isEnabled());
        QVERIFY(!f.c().txtFirstName->isEnabled());
        QCOMPARE(f.form().state().gLogin, QStringLiteral("4420712345"));
    }
    {
        QMap<QString, QString> s = registeredSettings();
        s.remove(QStringLiteral("Account_Date_Stamp"));
        FormFixture f(s);
        QVERIFY(f.load());
        QCOMPARE(f.c().Command6->text(), QStringLiteral("&Set Up Address"));
        QVERIFY(!f.c().Command4->isEnabled());
        QVERIFY(f.c().txtFirstName->isEnabled());
    }
    {
        QMap<QString, QString> s = registeredSettings();
        s.insert(QStringLiteral("Torvex_Addr"), QStringLiteral("nobody"));
        FormFixture f(s);
        QVERIFY(f.load());
        QCOMPARE(f.c().Label31->text(), QStringLiteral(" "));
        QVERIFY(!f.account->calls.join(QLatin1Char(' ')).contains(QStringLiteral("ShowUserProfile")));
        QVERIFY(!f.c().Command4->isEnabled());
    }
    {
        QMap<QString, QString> s = registeredSettings();
        s.insert(QStringLiteral("Torvex_Addr"), QStringLiteral("me@example.org"));
        FormFixture f(s);
        QVERIFY(f.load());
        QVERIFY(f.account->calls.contains(QStringLiteral("ShowUserProfile(false)")));
        QVERIFY(!f.c().Command4->isEnabled());
    }
}

void TstFormLoad::accountStepsAtStart()
{
    const QDate today(2024, 3, 12);
    struct Case {
        const char* name;
        bool dateStamp;
        int daysAgo;  // -1: no Profile_Last_Change
        bool sendAddress;
        QStringList expected;
    };
    const QString reset = QStringLiteral("ResetGroupFunctions");
    const Case cases[] = {
        {"no account", false, 40, false, {}},
        {"no status date", true, -1, false, {}},
        {"30 days", true, 30, false, {reset}},
        {"31 days", true, 31, false,
         {QStringLiteral("CheckMemberStatus"), QStringLiteral("UpdatedbLocalIPAddress"), reset}},
        {"address changed", true, 1, true,
         {QStringLiteral("SaveAccountInfo(2,false)"), QStringLiteral("SavePublicIPAddress"), reset}},
    };
    for (const Case& k : cases) {
        QMap<QString, QString> s = registeredSettings();
        if (!k.dateStamp)
            s.remove(QStringLiteral("Account_Date_Stamp"));
        if (k.daysAgo >= 0)
            s.insert(QStringLiteral("Profile_Last_Change"), formatSystemDate(today.addDays(-k.daysAgo)));
        FormFixture f(s);
        QVERIFY(f.load(QDateTime(today, QTime(9, 0))));
        f.account->calls.clear();
        f.account->httpOk = true;
        f.form().state().gflgSendIPAddressUpdate = k.sendAddress;
        runStartupAccountSteps(f.form());
        QVERIFY2(f.account->calls == k.expected, k.name);
    }
}

void TstFormLoad::tabStripSwitchesPages()
{
    FormFixture f;
    QVERIFY(f.load());
    FormControls& c = f.c();
    c.TabStrip1->setCurrentIndex(4);
    QCOMPARE(f.form().state().currentPage, 4);
    QCOMPARE(c.pageStack->currentWidget(), c.Frame17[4]);
    f.form().switchFrame(8);
    QCOMPARE(c.TabStrip1->currentIndex(), 7);
    QCOMPARE(c.pageStack->currentWidget(), c.Frame17[7]);
    QCOMPARE(c.TabStrip1->tabText(7), QStringLiteral("&Forwarding"));
    QCOMPARE(c.TabStrip1->tabData(7).toString(), QStringLiteral("FORWARD"));
    // While loading, the tab strip leaves the page as it is.
    f.form().state().flgLoading = true;
    c.TabStrip1->setCurrentIndex(0);
    QCOMPARE(f.form().state().currentPage, 7);
    f.form().state().flgLoading = false;

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
        QCOMPARE(f.form().state().currentPage, 0);
        QCOMPARE(QApplication::focusWidget(), field);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_M, Qt::AltModifier);
    QCOMPARE(f.form().state().currentPage, 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
    QCOMPARE(f.form().state().currentPage, 1);
    QCOMPARE(QApplication::focusWidget(), c.Text6);
}

void TstFormLoad::centring()
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

void TstFormLoad::secondStartBringsTheFirstForward()
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

QTEST_MAIN(TstFormLoad)
#include "tst_form_load.moc"
