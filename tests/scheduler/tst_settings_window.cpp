// "&Apply Settings", "E&xit" and the page handlers, driven through the real
// widgets.
#include "form_fixture.h"
#include "platform/print/printer_list.h"
#include "tests/support/cups_server.h"
#include "scheduler/page_handlers.h"
#include "scheduler/settings_apply.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <functional>

using namespace torvex;
using namespace torvex::test;

class TstSettingsWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void applyWritesTheSection();
    void applyKeepsThePrintPageHeadersChoice();
    void applyReportsChecksInOrderWritingNothing();
    void applyWithoutConnectionOptionStopsSilently();
    void cancelledProfileChooserEndsApplySilently();
    void profileNameComesBackAsWrittenOnDisk();
    void printerQuestionAnsweredNoIsNotAskedAgain_data();
    void printerQuestionAnsweredNoIsNotAskedAgain();
    void forwardingFollowsTheMemberStatus_data();
    void forwardingFollowsTheMemberStatus();
    void exitWithAndWithoutSavedPassword();
    void scheduleCheckBoxEnablesItsFields();
    void modemOptionNeedsADialUpEntry();
    void helpAndHomePages();
    void relayFrameDoubleClickRefreshesMemberStatus();
};

namespace {

void applyNow(FormFixture& f)
{
    f.form().settings().Command1_Click();
}

void selectWhileLoading(FormFixture& f, QRadioButton* option)
{
    f.form().state().flgLoading = true;
    option->setChecked(true);
    f.form().state().flgLoading = false;
}

}  // namespace

void TstSettingsWindow::applyWritesTheSection()
{
    FormFixture f;
    QVERIFY(f.load());
    f.showActive();
    FormControls& c = f.c();
    c.Text22->setText(QStringLiteral("20"));
    c.Text20->setText(QStringLiteral("backup.example.org"));
    c.Check7->setChecked(true);
    c.Check1->setChecked(true);
    showSecurity(c.Combo3, QStringLiteral("tls"));
    c.Text29->setText(QStringLiteral("995"));
    c.Check20->setChecked(true);
    applyNow(f);
    QVERIFY2(f.boxes->texts().isEmpty(), qPrintable(f.boxes->texts().join(QLatin1Char('|'))));
    QVERIFY(f.form().state().settingsApplied);
    QVERIFY(c.Command1->isEnabled());
    QCOMPARE(f.key(QStringLiteral("Torvex_Profile")), QStringLiteral("Torvex"));
    QCOMPARE(f.key(QStringLiteral("Torvex_Addr")), QStringLiteral("4420712345@torvex.net"));
    QCOMPARE(f.key(QStringLiteral("Printer_Type")), QStringLiteral("Office_Laser"));
    QCOMPARE(f.key(QStringLiteral("Cycle_Minutes")), QStringLiteral("60"));
    QCOMPARE(f.key(QStringLiteral("GSTN_Fax_Minutes")), QStringLiteral("20"));
    QCOMPARE(f.key(QStringLiteral("SMTP_Server2")), QStringLiteral("backup.example.org"));
    QCOMPARE(f.key(QStringLiteral("Activate_Scheduler")), QStringLiteral("y"));
    QCOMPARE(f.key(QStringLiteral("Modem_Connect")), QStringLiteral("n"));
    QCOMPARE(f.key(QStringLiteral("Print_Page_Hdr")), QStringLiteral("y"));
    QCOMPARE(f.key(QStringLiteral("Firewall")), QStringLiteral("y"));
    QCOMPARE(f.key(QStringLiteral("Default_SMTP_Servers")), QString());
    QCOMPARE(f.key(QStringLiteral("forward1")), QStringLiteral(",,,"));
    QCOMPARE(f.key(QStringLiteral("POP3_Security")), QStringLiteral("tls"));
    QCOMPARE(f.key(QStringLiteral("POP3_Port")), QStringLiteral("995"));
    QCOMPARE(f.key(QStringLiteral("User_SMTP_Security")), QStringLiteral("starttls-required"));
    QCOMPARE(f.key(QStringLiteral("User_SMTP_Port")), QStringLiteral("587"));
    QCOMPARE(f.key(QStringLiteral("User_SMTP_User")), QStringLiteral("me"));
    QCOMPARE(f.key(QStringLiteral("User_SMTP_Password")), QStringLiteral("smtp-secret"));
    QCOMPARE(f.key(QStringLiteral("SMTP_Security")), QStringLiteral("none"));
    QCOMPARE(f.key(QStringLiteral("SMTP_Port")), QString());
    QCOMPARE(f.key(QStringLiteral("VX_Use_HTTPS")), QStringLiteral("y"));
    QCOMPARE(f.form().state().gRegularFaxInterval, 20);
    QVERIFY(f.account->calls.contains(QStringLiteral("SavePublicIPAddress")));
    QVERIFY(f.account->calls.contains(QStringLiteral("ShowUserProfile(true)")));
}

void TstSettingsWindow::applyKeepsThePrintPageHeadersChoice()
{
    for (const char* saved : {"y", "n"}) {
        QMap<QString, QString> settings = registeredSettings();
        settings.insert(QStringLiteral("Print_Page_Hdr"), QString::fromLatin1(saved));
        FormFixture f(settings);
        QVERIFY(f.load());
        QCOMPARE(f.c().Check7->isChecked(), QByteArray(saved) == "y");
        applyNow(f);
        QVERIFY(f.form().state().settingsApplied);
        QCOMPARE(f.key(QStringLiteral("Print_Page_Hdr")), QString::fromLatin1(saved));
    }
}

void TstSettingsWindow::applyReportsChecksInOrderWritingNothing()
{
    FormFixture f;
    f.printers.clear();
    QVERIFY(f.load());
    f.showActive();
    FormControls& c = f.c();

    // Break every field Apply checks; each Apply must stop at the next one.
    c.txtVXAddress->clear();
    c.Text16->setText(QStringLiteral("Nowhere"));
    c.Text14->clear();
    c.Text6->clear();
    c.Text7->clear();
    c.Combo1->clear();
    selectWhileLoading(f, c.Option1);
    c.Text9->setText(QStringLiteral("0"));
    c.Check5->setChecked(true);
    c.Text15->clear();
    c.Check8->setChecked(true);
    c.Text12->clear();
    c.Check16->setChecked(true);
    c.Option3->setChecked(true);
    c.Text24->setText(QStringLiteral("4930123"));
    c.Text33->setText(QStringLiteral("70000"));
    c.Text32->clear();
    c.Text34->setText(QStringLiteral("/no/such/ca.pem"));

    struct Step {
        QString message;
        int page;
        QWidget* field;
        std::function<void()> fix;
    };
    const QString printerQuestion = QStringLiteral(
        "To automatically print TORVEXes you need to specify a printer.\r\nWould you like to do "
        "it now?");
    const std::vector<Step> steps = {
        {QStringLiteral("Missing Torvex Address!"), 0, c.txtVXAddress,
         [&] { c.txtVXAddress->setText(QStringLiteral("4420712345@torvex.net")); }},
        {QStringLiteral("Could not find MS Exchange profile!NOWHERE"), 0, c.Text16,
         [&] { c.Text16->setText(QStringLiteral("torvex")); }},
        {QStringLiteral("Missing Password!"), 0, c.Text13,
         [&] { c.Text14->setText(QStringLiteral("secret1")); }},
        {QStringLiteral("Missing Regular EMail Address!"), 1, c.Text6,
         [&] { c.Text6->setText(QStringLiteral("me@example.org")); }},
        {QStringLiteral("Missing SMTP Server!"), 1, c.Text7,
         [&] { c.Text7->setText(QStringLiteral("smtp.example.org")); }},
        {QStringLiteral("Invalid Entry, must be between 1 and 65535"), 1, c.Text33,
         [&] { c.Text33->setText(QStringLiteral("25")); }},
        {QStringLiteral("Missing SMTP Password!"), 1, c.Text32,
         [&] { c.Text32->setText(QStringLiteral("smtp-secret")); }},
        {QStringLiteral("Certificate file not found!"), 1, c.Text34, [&] { c.Text34->clear(); }},
        {printerQuestion, 4, c.Combo2, [&] { c.Combo2->addItem(QStringLiteral("TORVEX PDF")); }},
        {QStringLiteral("Please provide a Dial-Up Connection Name"), 2, c.Combo1,
         [&] { c.Combo1->addItem(QStringLiteral("My ISP")); }},
        {QStringLiteral("Missing Period"), 3, c.Text9, [&] { c.Text9->setText(QStringLiteral("30")); }},
        {QStringLiteral("Please provide a profile name"), 3, c.Text15,
         [&] { c.Text15->setText(QStringLiteral("Torvex")); }},
        {QStringLiteral("Please provide a profile name for your normal faxes"), 4, c.Text12,
         [&] { c.Text12->setText(QStringLiteral("Torvex")); }},
        {QStringLiteral("Missing Destination for TORVEX forwarding"), 7, c.Text23,
         [&] { c.Option4->setChecked(true); }},
    };

    for (const Step& step : steps) {
        const QByteArray before = f.iniText();
        f.boxes->shown.clear();
        f.form().switchFrame(9);
        applyNow(f);
        QCOMPARE(f.boxes->texts(), QStringList{step.message});
        QCOMPARE(f.boxes->shown.front().caption, MainForm::title());
        QVERIFY(!f.form().state().settingsApplied);
        QCOMPARE(f.form().state().currentPage, step.page);
        QCOMPARE(QApplication::focusWidget(), step.field);
        QCOMPARE(f.iniText(), before);
        QVERIFY(c.Command1->isEnabled());
        step.fix();
    }

    f.boxes->shown.clear();
    applyNow(f);
    QVERIFY2(f.boxes->texts().isEmpty(), qPrintable(f.boxes->texts().join(QLatin1Char('|'))));
    QVERIFY(f.form().state().settingsApplied);
    QCOMPARE(f.key(QStringLiteral("Torvex_Profile")), QStringLiteral("Torvex"));
    QCOMPARE(f.key(QStringLiteral("DUN_Name")), QStringLiteral("My ISP"));
    QCOMPARE(f.key(QStringLiteral("Modem_Connect")), QStringLiteral("y"));
    QCOMPARE(f.key(QStringLiteral("Printer_Type")), QStringLiteral("TORVEX PDF"));
    QCOMPARE(f.key(QStringLiteral("forward1")), QStringLiteral("2,,,"));
    QCOMPARE(f.key(QStringLiteral("forward2")), QStringLiteral("4930123,,,"));
}

void TstSettingsWindow::applyWithoutConnectionOptionStopsSilently()
{
    FormFixture f;
    QVERIFY(f.load());
    f.showActive();
    FormControls& c = f.c();
    c.Option2->group()->setExclusive(false);
    c.Option2->setChecked(false);
    c.txtVXAddress->clear();  // would be the next message
    f.form().switchFrame(9);
    const QByteArray before = f.iniText();
    applyNow(f);
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("Please select 'Modem' or 'Network'.")});
    QCOMPARE(f.form().state().currentPage, 2);  // the connection page, where the choice is made
    QVERIFY(!f.form().state().settingsApplied);
    QCOMPARE(f.iniText(), before);
}

void TstSettingsWindow::cancelledProfileChooserEndsApplySilently()
{
    FormFixture f;
    QVERIFY(f.load());
    f.showActive();
    f.c().Text16->clear();
    f.chooser->answer.clear();
    const QByteArray before = f.iniText();
    applyNow(f);
    QCOMPARE(f.chooser->calls, 1);
    QCOMPARE(f.boxes->texts().size(), 1);  // only the explanation before the chooser
    QVERIFY(f.boxes->texts().front().startsWith(
        QStringLiteral("This version of TORVEX uses the Inbox on your desktop")));
    QVERIFY(!f.form().state().settingsApplied);
    QCOMPARE(f.iniText(), before);

    f.boxes->shown.clear();
    f.chooser->answer = QStringLiteral("Torvex");
    applyNow(f);
    QVERIFY(f.form().state().settingsApplied);
    QCOMPARE(f.c().Text16->text(), QStringLiteral("Torvex"));
}

void TstSettingsWindow::profileNameComesBackAsWrittenOnDisk()
{
    FormFixture f;
    QDir().mkpath(f.env.path(QStringLiteral("profiles/Inbox/cur")));
    QVERIFY(f.load());
    f.showActive();
    f.c().Text16->setText(QStringLiteral("inbox"));
    applyNow(f);
    QVERIFY(f.form().state().settingsApplied);
    QCOMPARE(f.c().Text16->text(), QStringLiteral("Inbox"));
    QCOMPARE(f.key(QStringLiteral("Torvex_Profile")), QStringLiteral("Inbox"));
}

void TstSettingsWindow::printerQuestionAnsweredNoIsNotAskedAgain_data()
{
    QTest::addColumn<bool>("cups");
    QTest::newRow("no printer") << false;
    QTest::newRow("CUPS queues, none saved") << true;
}

void TstSettingsWindow::printerQuestionAnsweredNoIsNotAskedAgain()
{
    QFETCH(bool, cups);
    QMap<QString, QString> settings = registeredSettings();
    settings.remove(QStringLiteral("Printer_Type"));
    FormFixture f(settings);
    CupsServer server;
    if (!cups) {
        f.printers.clear();
    } else {
        if (!CupsServer::available())
            QSKIP("cupsd is not installed (tools/debian-packages.txt lists cups)");
        QVERIFY2(server.start(), qPrintable(server.log()));
        for (const char* queue : {"Office_Laser", "Hall_Inkjet"})
            QVERIFY2(server.addFileQueue(QString::fromLatin1(queue), f.env.path(QString::fromLatin1(queue))),
                     qPrintable(server.log()));
        qputenv("CUPS_SERVER", server.address().toUtf8());
        f.printers = systemPrinterNames();
    }
    QVERIFY(f.load());
    if (cups) {
        QCOMPARE(f.c().Combo2->count(), 3);  // the two queues and the PDF printer, none chosen
        QCOMPARE(f.c().Combo2->currentIndex(), -1);
    }
    f.showActive();
    f.boxes->answers = {MsgAnswer::No};
    applyNow(f);
    QCOMPARE(f.boxes->texts().size(), 2);
    QCOMPARE(f.boxes->texts().at(1),
             QStringLiteral("TORVEXes will be retrieved but will not be printed until you specify "
                            "a printer."));
    QVERIFY(f.form().state().settingsApplied);
    QCOMPARE(f.key(QStringLiteral("Printer_Type")), QString());

    f.boxes->shown.clear();
    applyNow(f);
    QVERIFY(f.boxes->texts().isEmpty());
    QVERIFY(f.form().state().settingsApplied);
}

void TstSettingsWindow::forwardingFollowsTheMemberStatus_data()
{
    QTest::addColumn<QString>("status");  // null: a first run
    QTest::addColumn<bool>("forwarding");
    QTest::addColumn<bool>("relay");
    QTest::newRow("member") << "2" << true << false;
    QTest::newRow("relay") << "3" << true << true;
    QTest::newRow("base") << "1" << false << false;
    QTest::newRow("no account yet") << "-" << false << false;
    QTest::newRow("first run") << QString() << false << false;
}

void TstSettingsWindow::forwardingFollowsTheMemberStatus()
{
    QFETCH(QString, status);
    QFETCH(bool, forwarding);
    QFETCH(bool, relay);
    QMap<QString, QString> settings;
    if (!status.isNull()) {
        settings = registeredSettings();
        settings.insert(QStringLiteral("Use_Defaults"), status);
        settings.insert(QStringLiteral("forward1"), QStringLiteral("1,,,"));
        settings.insert(QStringLiteral("forward2"), QStringLiteral("old@example.org,,,"));
    }
    FormFixture f(settings);
    f.realAccount = true;
    QVERIFY(f.load());
    FormControls& c = f.c();
    for (QWidget* w : {static_cast<QWidget*>(c.Check16), static_cast<QWidget*>(c.Check18),
                       static_cast<QWidget*>(c.Option8), static_cast<QWidget*>(c.Text28)})
        QCOMPARE(w->isEnabled(), forwarding);
    QCOMPARE(c.Check15->isEnabled(), relay);
    QCOMPARE(c.Option9->isEnabled(), relay);
    if (status.isNull())
        return;

    f.showActive();
    QVERIFY(c.Option3->isChecked());  // the saved row is shown as saved
    c.Check16->setChecked(false);
    c.Check16->setChecked(true);
    QVERIFY(c.Option3->isChecked());  // ticking a row selects its address option
    c.Text23->setText(QStringLiteral("fwd@example.org"));
    c.Check18->setChecked(true);
    c.Option8->setChecked(true);
    c.Text28->setText(QStringLiteral("4930123"));
    applyNow(f);
    QVERIFY(f.form().state().settingsApplied);
    QCOMPARE(f.key(QStringLiteral("forward1")), forwarding ? QStringLiteral("1,,2,") : QStringLiteral(",,,"));
    QCOMPARE(f.key(QStringLiteral("forward2")),
             forwarding ? QStringLiteral("fwd@example.org,,4930123,") : QStringLiteral(",,,"));
}

void TstSettingsWindow::exitWithAndWithoutSavedPassword()
{
    {
        FormFixture f;
        QVERIFY(f.load());
        QVERIFY(f.c().Check13->isChecked());
        f.form().settings().Command2_Click();
        QCOMPARE(f.endCalls, 1);
        QCOMPARE(f.key(QStringLiteral("Password")), QStringLiteral("secret1"));
        QCOMPARE(f.key(QStringLiteral("Save_Pass")), QStringLiteral("1"));
    }
    {
        FormFixture f;
        QVERIFY(f.load());
        f.c().Check13->setChecked(false);
        f.form().settings().Command2_Click();
        QCOMPARE(f.endCalls, 1);
        QCOMPARE(f.key(QStringLiteral("Password")), QString());
        QCOMPARE(f.key(QStringLiteral("Save_Pass")), QStringLiteral("0"));
        QVERIFY(!f.iniText().contains("secret1"));
        // The SMTP log-on's password goes the same way.
        QCOMPARE(f.key(QStringLiteral("User_SMTP_Password")), QString());
        QVERIFY(!f.iniText().contains("smtp-secret"));
    }
}

void TstSettingsWindow::scheduleCheckBoxEnablesItsFields()
{
    FormFixture f;
    QVERIFY(f.load());
    FormControls& c = f.c();
    QVERIFY(c.Text9->isEnabled());
    c.Check3->setChecked(false);
    for (QWidget* w : {static_cast<QWidget*>(c.Text9), static_cast<QWidget*>(c.Text10),
                       static_cast<QWidget*>(c.Text11), static_cast<QWidget*>(c.Text15)})
        QVERIFY(!w->isEnabled());
    QVERIFY(c.Text19->text().isEmpty());
    QVERIFY(f.form().statusText().endsWith(QStringLiteral("  No activity scheduled")));
    c.Check8->setChecked(true);
    QVERIFY(c.Text12->isEnabled());
    QVERIFY(f.form().statusText().endsWith(QStringLiteral("  Waiting for regular faxes")));
    c.Check3->setChecked(true);
    QVERIFY(c.Text9->isEnabled());
    QCOMPARE(c.Text19->text(), QStringLiteral("60"));
    QVERIFY(f.form().statusText().endsWith(
        QStringLiteral("  Next TORVEX retrieval scheduled in 60 minutes.")));
}

void TstSettingsWindow::modemOptionNeedsADialUpEntry()
{
    FormFixture f;
    QVERIFY(f.load());
    FormControls& c = f.c();
    QVERIFY(c.Option2->isChecked());
    QCOMPARE(c.Text18->text(),
             QStringLiteral("To use this option please install Windows 95/98 Dial-up software."));
    c.Option1->click();
    QCOMPARE(f.boxes->texts(),
             QStringList{QStringLiteral(
                 "Please use 'MyComputer | Dial-Up Networking' to create a connection profile.")});
    QVERIFY(!c.Option1->isChecked());

    c.Combo1->addItem(QStringLiteral("My ISP"));
    c.Combo1->setCurrentIndex(-1);
    c.Text8->setText(QStringLiteral("10.1.2.3"));
    c.Option1->click();
    QVERIFY(c.Option1->isChecked());
    QVERIFY(!c.Option2->isChecked());
    QVERIFY(c.Check14->isEnabled());
    QCOMPARE(c.Combo1->currentIndex(), 0);
    QCOMPARE(f.form().state().gLocalIPAddr, QStringLiteral("10.1.2.3"));

    c.Option2->click();
    QVERIFY(!c.Check14->isEnabled());
    QCOMPARE(f.form().state().gLocalIPAddr, c.Text21->text());
    QVERIFY(f.account->calls.contains(QStringLiteral("updateLocalIPAddress")));
}

void TstSettingsWindow::helpAndHomePages()
{
    FormFixture f;
    QVERIFY(f.load());
    FormControls& c = f.c();
    const QString home = f.form().state().gAppPath;
    c.Command9[0]->click();
    c.Command8->click();
    writeTorvexKey(QStringLiteral("help_location"), QStringLiteral("help"));
    c.Command9[1]->click();
    writeTorvexKey(QStringLiteral("help_location"), QStringLiteral("\\"));
    c.Command9[2]->click();
    writeTorvexKey(QStringLiteral("help_location"), QStringLiteral("docs\\en"));
    c.Command9[3]->click();
    QCOMPARE(f.shell->opened,
             (QStringList{QStringLiteral("http://www.torvex.net/help/vxptfaq.htm"),
                          QStringLiteral("http://torvex.net/"),
                          home + QStringLiteral("/help/vxphlpbs.htm"),
                          home + QStringLiteral("/vxphlprl.htm"),
                          home + QStringLiteral("/docs/en/vxphlpfr.htm")}));
}

void TstSettingsWindow::relayFrameDoubleClickRefreshesMemberStatus()
{
    FormFixture f;
    QVERIFY(f.load());
    f.showActive();
    FormControls& c = f.c();
    f.form().switchFrame(7);
    c.Text14->setText(QStringLiteral("other"));
    QTest::mouseDClick(c.Frame15, Qt::LeftButton);
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("Password error!")});
    QCOMPARE(f.form().state().currentPage, 0);
    QCOMPARE(QApplication::focusWidget(), c.Text13);

    f.account->calls.clear();
    c.Text14->setText(c.Text13->text());
    QTest::mouseDClick(c.Frame15, Qt::LeftButton);
    QCOMPARE(f.account->calls, QStringList{QStringLiteral("CheckMemberStatus")});
    f.account->calls.clear();
    f.account->memberStatusChanged = true;
    QTest::mouseDClick(c.Frame15, Qt::LeftButton);
    QCOMPARE(f.account->calls, (QStringList{QStringLiteral("CheckMemberStatus"),
                                            QStringLiteral("ResetGroupFunctions"),
                                            QStringLiteral("UpdatedbLocalIPAddress")}));
}

QTEST_MAIN(TstSettingsWindow)
#include "tst_settings_window.moc"
