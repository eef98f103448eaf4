// Start-up of the scheduler: loading the window in its fixed order, the
// first run and the account steps, over the core.
#include "tests/scheduler/support/scheduler_fixture.h"
#include "scheduler/schedule/schedule_engine.h"
#include "scheduler/core/program_title.h"
#include "tests/scheduler/account/sim_process.h"
#include "scheduler/core/system_date.h"
#include "common/mail_security.h"
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
};

void TstFormLoad::missingAccountFileRefusesToStart()
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

void TstFormLoad::firstRunOffersHelpAndStartsNoSchedule()
{
    CoreFixture f(QMap<QString, QString>{});
    QVERIFY(f.load());
    QCOMPARE(f.boxes->texts(),
             QStringList{QStringLiteral("Would you like to view the SetUp Help Page now ?")});
    QCOMPARE(f.boxes->shown.front().buttons, MsgButtons::YesNo);
    QCOMPARE(f.boxes->shown.front().icon, MsgIcon::Question);
    QCOMPARE(f.shell->opened, QStringList{f.env.path(QStringLiteral("vxphlpbs.htm"))});
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

void TstFormLoad::firstRunHelpFallsBackToTheReadme()
{
    CoreFixture f(QMap<QString, QString>{});
    f.shell->answer = false;
    QVERIFY(f.load());
    const QString help = f.env.path(QStringLiteral("vxphlpbs.htm"));
    const QString readme = f.env.path(QStringLiteral("readme.txt"));
    QCOMPARE(f.shell->opened, (QStringList{help, readme}));
    QCOMPARE(f.boxes->texts().last(), QStringLiteral("Please install Wordpad and open '") + readme
                                          + QStringLiteral("' or a Web Browser and open '") + help
                                          + QStringLiteral("'"));

    CoreFixture no(QMap<QString, QString>{});
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
    CoreFixture f(s);
    QVERIFY(f.load());
    QVERIFY(f.boxes->texts().isEmpty());
    QVERIFY(f.core().Timer1().isActive());
    QCOMPARE(f.core().Timer1().interval(), 60000);
    QCOMPARE(f.caption, programTitle());
    QCOMPARE(f.view.text(Control::Label45), programTitle() + QLatin1Char(' '));
    QCOMPARE(f.view.text(Control::Label48), QStringLiteral(" 0.8.2"));
    QCOMPARE(f.view.text(Control::Text2), QStringLiteral("44"));
    QCOMPARE(f.view.text(Control::txtVXAddress), QStringLiteral("4420712345@torvex.net"));
    QCOMPARE(f.view.text(Control::Text13), QStringLiteral("secret1"));
    QVERIFY(f.view.isChecked(Control::Check13));
    QCOMPARE(f.view.text(Control::Text9), QStringLiteral("60"));
    QCOMPARE(f.view.currentIndex(Control::Combo3), int(MailSecurity::None));
    QCOMPARE(f.view.currentIndex(Control::Combo4), int(MailSecurity::StartTlsRequired));
    QCOMPARE(f.view.text(Control::Text30), QStringLiteral("587"));
    QCOMPARE(f.view.text(Control::Text31), QStringLiteral("me"));
    QCOMPARE(f.view.text(Control::Text32), QStringLiteral("smtp-secret"));
    QCOMPARE(f.view.text(Control::Text22), QStringLiteral("15"));
    QVERIFY(f.view.isChecked(Control::Check3));
    QVERIFY(f.view.isEnabled(Control::Text9));
    QVERIFY(f.view.isChecked(Control::Check8));
    QVERIFY(f.view.isEnabled(Control::Text12));
    QCOMPARE(f.view.text(Control::Text19), QStringLiteral("60"));
    QCOMPARE(f.core().state().countdown, 60);
    QCOMPARE(f.core().state().gRegularFaxInterval, 15);
    QVERIFY(f.view.isChecked(Control::Check16) && f.view.isChecked(Control::Option3));
    QCOMPARE(f.view.text(Control::Text23), QStringLiteral("fwd@example.org"));
    QVERIFY(!f.view.isChecked(Control::Check17));
    QVERIFY(f.view.isChecked(Control::Check18) && f.view.isChecked(Control::Option8));
    QCOMPARE(f.view.text(Control::Text28), QStringLiteral("4930123"));
    QVERIFY(f.view.isChecked(Control::Option2));
    QVERIFY(!f.view.isChecked(Control::Option1));
    QVERIFY(!f.view.isEnabled(Control::Check14));
    QCOMPARE(f.view.text(Control::Option2), QStringLiteral("I connect to the mail server using a &Network Card *"));
    QCOMPARE(f.view.text(Control::Text21), f.core().state().gLocalIPAddr);
    QVERIFY(f.view.text(Control::Check5).startsWith(QStringLiteral("You can use this schedule")));
    QCOMPARE(f.statusText(),
             f.core().statusBar().myDateTime()
                 + QStringLiteral("  Next TORVEX retrieval scheduled in 60 minutes."));
}

void TstFormLoad::printersWithFaxOrRenderingAreNotListed()
{
    CoreFixture f;
    f.printers = {QStringLiteral("hp_faxmodem"), QStringLiteral("Office_Laser"),
                  QStringLiteral("XPS RENDERING"), QStringLiteral("TORVEX PDF")};
    QVERIFY(f.load());
    QCOMPARE(f.view.entries(Control::Combo2).size(), 2);
    QCOMPARE(f.view.entries(Control::Combo2).value(0), QStringLiteral("Office_Laser"));
    QCOMPARE(f.view.entries(Control::Combo2).value(1), QStringLiteral("TORVEX PDF"));
    QCOMPARE(f.view.text(Control::Combo2), QStringLiteral("Office_Laser"));
}

void TstFormLoad::torvexAddressSplit()
{
    {
        CoreFixture f;
        QVERIFY(f.load());
        QCOMPARE(f.view.text(Control::Label31), QStringLiteral(" 4420712345@torvex.net "));
        QCOMPARE(f.view.text(Control::Command6), QStringLiteral("Update Account"));
        QVERIFY(f.view.isEnabled(Control::Command4));
        QVERIFY(f.view.isEnabled(Control::Command5));
        QVERIFY(!f.view.isEnabled(Control::txtFirstName));
        QCOMPARE(f.core().state().gLogin, QStringLiteral("4420712345"));
    }
    {
        QMap<QString, QString> s = registeredSettings();
        s.remove(QStringLiteral("Account_Date_Stamp"));
        CoreFixture f(s);
        QVERIFY(f.load());
        QCOMPARE(f.view.text(Control::Command6), QStringLiteral("&Set Up Address"));
        QVERIFY(!f.view.isEnabled(Control::Command4));
        QVERIFY(f.view.isEnabled(Control::txtFirstName));
    }
    {
        QMap<QString, QString> s = registeredSettings();
        s.insert(QStringLiteral("Torvex_Addr"), QStringLiteral("nobody"));
        CoreFixture f(s);
        QVERIFY(f.load());
        QVERIFY(!f.view.text(Control::Label31).contains(QLatin1String("nobody")));
        QVERIFY(f.view.isVisible(Control::Frame8));
        QVERIFY(!f.view.isEnabled(Control::Command4));
    }
    {
        QMap<QString, QString> s = registeredSettings();
        s.insert(QStringLiteral("Torvex_Addr"), QStringLiteral("me@example.org"));
        CoreFixture f(s);
        QVERIFY(f.load());
        QVERIFY(!f.view.isVisible(Control::Frame8));  // the profile page is the service's only
        QVERIFY(!f.view.isEnabled(Control::Command4));
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
        int userRecords;  // requests for the member status
        int updates;      // account updates with the new address
    };
    const Case cases[] = {
        {"no account", false, 40, false, 0, 0},
        {"no status date", true, -1, false, 0, 0},
        {"30 days", true, 30, false, 0, 0},
        {"31 days", true, 31, false, 1, 1},
        {"address changed", true, 1, true, 0, 1},
    };
    for (const Case& k : cases) {
        SimProcess sim;
        QVERIFY(sim.isRunning());
        sim.writeAccounts(R"({"4420712345": {"password": "secret1", "groups": "Brisko"}})");
        QMap<QString, QString> s = registeredSettings();
        if (!k.dateStamp)
            s.remove(QStringLiteral("Account_Date_Stamp"));
        if (k.daysAgo >= 0)
            s.insert(QStringLiteral("Profile_Last_Change"), formatSystemDate(today.addDays(-k.daysAgo)));
        CoreFixture f(s);
        f.env.writeFile(QStringLiteral("account.ini"),
                        "[TORVEX]\nVX_IP_Address=" + sim.address().toUtf8()
                            + "\n[MYINFO]\nlogin=4420712345\nfirstname=John\nlastname=Smith\n"
                              "street=1%20High%20St\ntown=Leeds\ncountry=UK\n");
        QVERIFY(f.load(QDateTime(today, QTime(9, 0))));
        f.core().state().gflgSendIPAddressUpdate = k.sendAddress;
        f.core().runStartupAccountSteps();
        QVERIFY2(sim.requests().filter(QStringLiteral("action=showdb")).size() == k.userRecords, k.name);
        QVERIFY2(sim.requests().filter(QStringLiteral("action=changeuser")).size() == k.updates, k.name);
        if (k.updates)
            QCOMPARE(f.key(QStringLiteral("Public_IP_Addr")), f.core().state().gLocalIPAddr);
    }
}

QTEST_GUILESS_MAIN(TstFormLoad)
#include "tst_form_load.moc"
