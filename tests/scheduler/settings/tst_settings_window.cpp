// "&Apply Settings", "E&xit" and the page handlers, driven through the real
// widgets.
#include "tests/scheduler/support/scheduler_fixture.h"
#include "platform/print/printer_list.h"
#include "tests/support/cups_server.h"
#include "scheduler/core/program_title.h"
#include "tests/scheduler/account/sim_process.h"
#include "scheduler/settings/security_fields.h"
#include "scheduler/settings/settings_apply.h"

#include <QDir>
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

void applyNow(CoreFixture& f)
{
    f.core().settings().Command1_Click();
}

}  // namespace

void TstSettingsWindow::applyWritesTheSection()
{
    CoreFixture f;
    QVERIFY(f.load());
    f.view.setText(Control::Text22, QStringLiteral("20"));
    f.view.setText(Control::Text20, QStringLiteral("backup.example.org"));
    f.view.tick(Control::Check7, true);
    f.view.tick(Control::Check1, true);
    showSecurity(f.view, Control::Combo3, QStringLiteral("tls"));
    f.view.setText(Control::Text29, QStringLiteral("995"));
    f.view.setChecked(Control::Check20, true);
    applyNow(f);
    QVERIFY2(f.boxes->texts().isEmpty(), qPrintable(f.boxes->texts().join(QLatin1Char('|'))));
    QVERIFY(f.core().state().settingsApplied);
    QVERIFY(f.view.isEnabled(Control::Command1));
    for (const auto& [key, value] :
         {std::pair{"Torvex_Profile", "Torvex"}, {"Torvex_Addr", "4420712345@torvex.net"}, {"Printer_Type", "Office_Laser"},
          {"Cycle_Minutes", "60"}, {"GSTN_Fax_Minutes", "20"}, {"SMTP_Server2", "backup.example.org"},
          {"Activate_Scheduler", "y"}, {"Modem_Connect", "n"}, {"Print_Page_Hdr", "y"}, {"Firewall", "y"},
          {"Default_SMTP_Servers", ""}, {"forward1", ",,,"}, {"POP3_Security", "tls"}, {"POP3_Port", "995"},
          {"User_SMTP_Security", "starttls-required"}, {"User_SMTP_Port", "587"}, {"User_SMTP_User", "me"},
          {"User_SMTP_Password", "smtp-secret"}, {"SMTP_Security", "none"}, {"SMTP_Port", ""}, {"VX_Use_HTTPS", "y"}}) {
        const QString k = QString::fromLatin1(key);
        QCOMPARE(k + QLatin1Char('=') + f.key(k), k + QLatin1Char('=') + QString::fromLatin1(value));
    }
    QCOMPARE(f.core().state().gRegularFaxInterval, 20);
    // The address in use is the one the service was told of; the profile shows.
    QCOMPARE(f.key(QStringLiteral("Public_IP_Addr")), f.core().state().gLocalIPAddr);
    QVERIFY(f.view.isVisible(Control::Frame8));
}

void TstSettingsWindow::applyKeepsThePrintPageHeadersChoice()
{
    for (const char* saved : {"y", "n"}) {
        QMap<QString, QString> settings = registeredSettings();
        settings.insert(QStringLiteral("Print_Page_Hdr"), QString::fromLatin1(saved));
        CoreFixture f(settings);
    QVERIFY(f.load());
        QCOMPARE(f.view.isChecked(Control::Check7), QByteArray(saved) == "y");
        applyNow(f);
        QVERIFY(f.core().state().settingsApplied);
        QCOMPARE(f.key(QStringLiteral("Print_Page_Hdr")), QString::fromLatin1(saved));
    }
}

void TstSettingsWindow::applyReportsChecksInOrderWritingNothing()
{
    CoreFixture f;
    f.printers.clear();
    QVERIFY(f.load());

    // Break every field Apply checks; each Apply must stop at the next one.
    f.view.setText(Control::txtVXAddress, QString());
    f.view.setText(Control::Text16, QStringLiteral("Nowhere"));
    f.view.setText(Control::Text14, QString());
    f.view.setText(Control::Text6, QString());
    f.view.setText(Control::Text7, QString());
    f.view.clearEntries(Control::Combo1);
    f.view.setChecked(Control::Option1, true);
    f.view.setText(Control::Text9, QStringLiteral("0"));
    f.view.tick(Control::Check5, true);
    f.view.setText(Control::Text15, QString());
    f.view.tick(Control::Check8, true);
    f.view.setText(Control::Text12, QString());
    f.view.tick(Control::Check16, true);
    f.view.tick(Control::Option3, true);
    f.view.setText(Control::Text24, QStringLiteral("4930123"));
    f.view.setText(Control::Text33, QStringLiteral("70000"));
    f.view.setText(Control::Text32, QString());
    f.view.setText(Control::Text34, QStringLiteral("/no/such/ca.pem"));

    struct Step {
        QString message;
        int tab;
        Control field;
        std::function<void()> fix;
    };
    const QString printerQuestion = QStringLiteral(
        "To automatically print TORVEXes you need to specify a printer.\r\nWould you like to do "
        "it now?");
    const std::vector<Step> steps = {
        {QStringLiteral("Missing Torvex Address!"), 1, Control::txtVXAddress,
         [&] { f.view.setText(Control::txtVXAddress, QStringLiteral("4420712345@torvex.net")); }},
        {QStringLiteral("Could not find MS Exchange profile!NOWHERE"), 1, Control::Text16,
         [&] { f.view.setText(Control::Text16, QStringLiteral("torvex")); }},
        {QStringLiteral("Missing Password!"), 1, Control::Text13,
         [&] { f.view.setText(Control::Text14, QStringLiteral("secret1")); }},
        {QStringLiteral("Missing Regular EMail Address!"), 2, Control::Text6,
         [&] { f.view.setText(Control::Text6, QStringLiteral("me@example.org")); }},
        {QStringLiteral("Missing SMTP Server!"), 2, Control::Text7,
         [&] { f.view.setText(Control::Text7, QStringLiteral("smtp.example.org")); }},
        {QStringLiteral("Invalid Entry, must be between 1 and 65535"), 2, Control::Text33,
         [&] { f.view.setText(Control::Text33, QStringLiteral("25")); }},
        {QStringLiteral("Missing SMTP Password!"), 2, Control::Text32,
         [&] { f.view.setText(Control::Text32, QStringLiteral("smtp-secret")); }},
        {QStringLiteral("Certificate file not found!"), 2, Control::Text34,
         [&] { f.view.setText(Control::Text34, QString()); }},
        {printerQuestion, 5, Control::Combo2, [&] { f.view.addEntry(Control::Combo2, QStringLiteral("TORVEX PDF")); }},
        {QStringLiteral("Please provide a Dial-Up Connection Name"), 3, Control::Combo1,
         [&] { f.view.addEntry(Control::Combo1, QStringLiteral("My ISP")); }},
        {QStringLiteral("Missing Period"), 4, Control::Text9, [&] { f.view.setText(Control::Text9, QStringLiteral("30")); }},
        {QStringLiteral("Please provide a profile name"), 4, Control::Text15,
         [&] { f.view.setText(Control::Text15, QStringLiteral("Torvex")); }},
        {QStringLiteral("Please provide a profile name for your normal faxes"), 5, Control::Text12,
         [&] { f.view.setText(Control::Text12, QStringLiteral("Torvex")); }},
        {QStringLiteral("Missing Destination for TORVEX forwarding"), 8, Control::Text23,
         [&] { f.view.tick(Control::Option4, true); }},
    };

    for (const Step& step : steps) {
        const QByteArray before = f.iniText();
        f.boxes->shown.clear();
        f.view.switchFrame(9);
        applyNow(f);
        QCOMPARE(f.boxes->texts(), QStringList{step.message});
        QCOMPARE(f.boxes->shown.front().caption, programTitle());
        QVERIFY(!f.core().state().settingsApplied);
        QCOMPARE(f.view.tab, step.tab);
        QCOMPARE(f.view.focused, step.field);
        QCOMPARE(f.iniText(), before);
        QVERIFY(f.view.isEnabled(Control::Command1));
        step.fix();
    }

    f.boxes->shown.clear();
    applyNow(f);
    QVERIFY2(f.boxes->texts().isEmpty(), qPrintable(f.boxes->texts().join(QLatin1Char('|'))));
    QVERIFY(f.core().state().settingsApplied);
    QCOMPARE(f.key(QStringLiteral("Torvex_Profile")), QStringLiteral("Torvex"));
    QCOMPARE(f.key(QStringLiteral("DUN_Name")), QStringLiteral("My ISP"));
    QCOMPARE(f.key(QStringLiteral("Modem_Connect")), QStringLiteral("y"));
    QCOMPARE(f.key(QStringLiteral("Printer_Type")), QStringLiteral("TORVEX PDF"));
    QCOMPARE(f.key(QStringLiteral("forward1")), QStringLiteral("2,,,"));
    QCOMPARE(f.key(QStringLiteral("forward2")), QStringLiteral("4930123,,,"));
}

void TstSettingsWindow::applyWithoutConnectionOptionStopsSilently()
{
    CoreFixture f;
    QVERIFY(f.load());
    f.view.setChecked(Control::Option2, false);
    f.view.setText(Control::txtVXAddress, QString());  // would be the next message
    f.view.switchFrame(9);
    const QByteArray before = f.iniText();
    applyNow(f);
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("Please select 'Modem' or 'Network'.")});
    QCOMPARE(f.view.tab, 3);  // the connection page, where the choice is made
    QVERIFY(!f.core().state().settingsApplied);
    QCOMPARE(f.iniText(), before);
}

void TstSettingsWindow::cancelledProfileChooserEndsApplySilently()
{
    CoreFixture f;
    QVERIFY(f.load());
    f.view.setText(Control::Text16, QString());
    f.chooser->answer.clear();
    const QByteArray before = f.iniText();
    applyNow(f);
    QCOMPARE(f.chooser->calls, 1);
    QCOMPARE(f.boxes->texts().size(), 1);  // only the explanation before the chooser
    QVERIFY(f.boxes->texts().front().startsWith(
        QStringLiteral("This version of TORVEX uses the Inbox on your desktop")));
    QVERIFY(!f.core().state().settingsApplied);
    QCOMPARE(f.iniText(), before);

    f.boxes->shown.clear();
    f.chooser->answer = QStringLiteral("Torvex");
    applyNow(f);
    QVERIFY(f.core().state().settingsApplied);
    QCOMPARE(f.view.text(Control::Text16), QStringLiteral("Torvex"));
}

void TstSettingsWindow::profileNameComesBackAsWrittenOnDisk()
{
    CoreFixture f;
    QDir().mkpath(f.env.path(QStringLiteral("profiles/Inbox/cur")));
    QVERIFY(f.load());
    f.view.setText(Control::Text16, QStringLiteral("inbox"));
    applyNow(f);
    QVERIFY(f.core().state().settingsApplied);
    QCOMPARE(f.view.text(Control::Text16), QStringLiteral("Inbox"));
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
    CoreFixture f(settings);
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
        QCOMPARE(f.view.entries(Control::Combo2).size(), 3);  // the two queues and the PDF printer, none chosen
        QCOMPARE(f.view.currentIndex(Control::Combo2), -1);
    }
    f.boxes->answers = {MsgAnswer::No};
    applyNow(f);
    QCOMPARE(f.boxes->texts().size(), 2);
    QCOMPARE(f.boxes->texts().at(1),
             QStringLiteral("TORVEXes will be retrieved but will not be printed until you specify "
                            "a printer."));
    QVERIFY(f.core().state().settingsApplied);
    QCOMPARE(f.key(QStringLiteral("Printer_Type")), QString());

    f.boxes->shown.clear();
    applyNow(f);
    QVERIFY(f.boxes->texts().isEmpty());
    QVERIFY(f.core().state().settingsApplied);
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
    CoreFixture f(settings);
    QVERIFY(f.load());
    for (const Control c : {Control::Check16, Control::Check18, Control::Option8, Control::Text28})
        QCOMPARE(f.view.isEnabled(c), forwarding);
    QCOMPARE(f.view.isEnabled(Control::Check15), relay);
    QCOMPARE(f.view.isEnabled(Control::Option9), relay);
    if (status.isNull())
        return;

    QVERIFY(f.view.isChecked(Control::Option3));  // the saved row is shown as saved
    f.view.tick(Control::Check16, false);
    f.view.tick(Control::Check16, true);
    QVERIFY(f.view.isChecked(Control::Option3));  // ticking a row selects its address option
    f.view.setText(Control::Text23, QStringLiteral("fwd@example.org"));
    f.view.tick(Control::Check18, true);
    f.view.tick(Control::Option8, true);
    f.view.setText(Control::Text28, QStringLiteral("4930123"));
    applyNow(f);
    QVERIFY(f.core().state().settingsApplied);
    QCOMPARE(f.key(QStringLiteral("forward1")), forwarding ? QStringLiteral("1,,2,") : QStringLiteral(",,,"));
    QCOMPARE(f.key(QStringLiteral("forward2")),
             forwarding ? QStringLiteral("fwd@example.org,,4930123,") : QStringLiteral(",,,"));
}

void TstSettingsWindow::exitWithAndWithoutSavedPassword()
{
    {
        CoreFixture f;
        QVERIFY(f.load());
        QVERIFY(f.view.isChecked(Control::Check13));
        f.core().settings().Command2_Click();
        QCOMPARE(f.endCalls, 1);
        QCOMPARE(f.key(QStringLiteral("Password")), QStringLiteral("secret1"));
        QCOMPARE(f.key(QStringLiteral("Save_Pass")), QStringLiteral("1"));
    }
    {
        CoreFixture f;
        QVERIFY(f.load());
        f.view.tick(Control::Check13, false);
        f.core().settings().Command2_Click();
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
    CoreFixture f;
    QVERIFY(f.load());
    QVERIFY(f.view.isEnabled(Control::Text9));
    f.view.tick(Control::Check3, false);
    for (const Control c : {Control::Text9, Control::Text10, Control::Text11, Control::Text15})
        QVERIFY(!f.view.isEnabled(c));
    QVERIFY(f.view.text(Control::Text19).isEmpty());
    QVERIFY(f.statusText().endsWith(QStringLiteral("  No activity scheduled")));
    f.view.tick(Control::Check8, true);
    QVERIFY(f.view.isEnabled(Control::Text12));
    QVERIFY(f.statusText().endsWith(QStringLiteral("  Waiting for regular faxes")));
    f.view.tick(Control::Check3, true);
    QVERIFY(f.view.isEnabled(Control::Text9));
    QCOMPARE(f.view.text(Control::Text19), QStringLiteral("60"));
    QVERIFY(f.statusText().endsWith(
        QStringLiteral("  Next TORVEX retrieval scheduled in 60 minutes.")));
}

void TstSettingsWindow::modemOptionNeedsADialUpEntry()
{
    CoreFixture f;
    QVERIFY(f.load());
    QVERIFY(f.view.isChecked(Control::Option2));
    QCOMPARE(f.view.text(Control::Text18),
             QStringLiteral("To use this option please install Windows 95/98 Dial-up software."));
    f.view.click(Control::Option1);
    QCOMPARE(f.boxes->texts(),
             QStringList{QStringLiteral(
                 "Please use 'MyComputer | Dial-Up Networking' to create a connection profile.")});
    QVERIFY(!f.view.isChecked(Control::Option1));

    f.view.addEntry(Control::Combo1, QStringLiteral("My ISP"));
    f.view.setCurrentIndex(Control::Combo1, -1);
    f.view.setText(Control::Text8, QStringLiteral("10.1.2.3"));
    f.view.click(Control::Option1);
    QVERIFY(f.view.isChecked(Control::Option1));
    QVERIFY(!f.view.isChecked(Control::Option2));
    QVERIFY(f.view.isEnabled(Control::Check14));
    QCOMPARE(f.view.currentIndex(Control::Combo1), 0);
    QCOMPARE(f.core().state().gLocalIPAddr, QStringLiteral("10.1.2.3"));

    f.view.click(Control::Option2);
    QVERIFY(!f.view.isEnabled(Control::Check14));
    QCOMPARE(f.core().state().gLocalIPAddr, f.view.text(Control::Text21));
}

void TstSettingsWindow::helpAndHomePages()
{
    CoreFixture f;
    QVERIFY(f.load());
    const QString home = f.core().state().gAppPath;
    f.core().helpClicked(0);
    f.view.click(Control::Command8);
    writeTorvexKey(QStringLiteral("help_location"), QStringLiteral("help"));
    f.core().helpClicked(1);
    writeTorvexKey(QStringLiteral("help_location"), QStringLiteral("\\"));
    f.core().helpClicked(2);
    writeTorvexKey(QStringLiteral("help_location"), QStringLiteral("docs\\en"));
    f.core().helpClicked(3);
    QCOMPARE(f.shell->opened,
             (QStringList{QStringLiteral("http://www.torvex.net/help/vxptfaq.htm"),
                          QStringLiteral("http://torvex.net/"),
                          home + QStringLiteral("/help/vxphlpbs.htm"),
                          home + QStringLiteral("/vxphlprl.htm"),
                          home + QStringLiteral("/docs/en/vxphlpfr.htm")}));
}

void TstSettingsWindow::relayFrameDoubleClickRefreshesMemberStatus()
{
    SimProcess sim;
    QVERIFY(sim.isRunning());
    sim.writeAccounts(R"({"4420712345": {"password": "secret1", "groups": "Members"}})");
    CoreFixture f;
    f.env.writeFile(QStringLiteral("account.ini"), "[TORVEX]\nVX_IP_Address=" + sim.address().toUtf8() + "\n");
    QVERIFY(f.load());
    f.view.switchFrame(7);
    f.view.setText(Control::Text14, QStringLiteral("other"));
    f.view.doubleClickRelayGroup();
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("Password error!")});
    QCOMPARE(f.view.tab, 1);
    QCOMPARE(f.view.focused, Control::Text13);
    QVERIFY(sim.requests().isEmpty());

    // The status afresh from the service; a new one switches the relay on.
    f.view.setText(Control::Text14, f.view.text(Control::Text13));
    f.view.doubleClickRelayGroup();
    QCOMPARE(sim.requests().filter(QStringLiteral("action=showdb")).size(), 1);
    QCOMPARE(f.key(QStringLiteral("Use_Defaults")), QStringLiteral("2"));
    QVERIFY(!f.view.isEnabled(Control::Check15));
    sim.writeAccounts(R"({"4420712345": {"password": "secret1", "groups": "Members,Relay"}})");
    f.view.doubleClickRelayGroup();
    QCOMPARE(sim.requests().filter(QStringLiteral("action=showdb")).size(), 2);
    QCOMPARE(f.key(QStringLiteral("Use_Defaults")), QStringLiteral("3"));
    QVERIFY(f.view.isEnabled(Control::Check15));
    QCOMPARE(f.view.text(Control::Label50), QStringLiteral(" Relay "));
}

QTEST_GUILESS_MAIN(TstSettingsWindow)
#include "tst_settings_window.moc"
