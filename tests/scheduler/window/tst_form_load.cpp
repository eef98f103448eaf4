// Start-up of the scheduler: loading the window in its fixed order, the
// first run and the account steps, over the core.
#include "tests/scheduler/support/scheduler_fixture.h"
#include "scheduler/schedule/schedule_engine.h"
#include "scheduler/core/program_title.h"
#include "common/mail_security.h"
#include "platform/settings/profile_api.h"

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
    void torvexAddressSplit_data();
    void torvexAddressSplit();
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
    CoreFixture f(registeredSettings(
        {{"forward1", "1,,2,"}, {"forward2", "fwd@example.org,,4930123,"}, {"Print_Normal_Fax", "y"}}));
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
                             Control::Check18, Control::Option8, Control::Option2})
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

void TstFormLoad::torvexAddressSplit_data()
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

void TstFormLoad::torvexAddressSplit()
{
    QFETCH(QString, address);
    QFETCH(bool, registered);
    QFETCH(QString, button);
    QFETCH(bool, retrieval);
    QFETCH(bool, profilePage);
    QMap<QString, QString> s = registeredSettings();
    s.insert(QStringLiteral("Torvex_Addr"), address);
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

QTEST_GUILESS_MAIN(TstFormLoad)
#include "tst_form_load.moc"
