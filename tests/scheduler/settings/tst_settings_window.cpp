// "&Apply Settings", "E&xit" and the page handlers, and the entry fields'
// own checks (keys typed into a field, the focus moving on).
#include "tests/scheduler/support/scheduler_fixture.h"
#include "platform/print/printer_list.h"
#include "tests/support/cups_server.h"
#include "scheduler/core/program_title.h"
#include "scheduler/settings/security_fields.h"
#include "scheduler/settings/settings_apply.h"

#include <QtTest>

#include <functional>

using namespace torvex;
using namespace torvex::test;

namespace {

void applyNow(CoreFixture& f)
{
    f.core().settings().Command1_Click();
}


// What a row names: a control's text, "focus", "tab", "beeps",
// "applyIsDefault", "enabled:<control>", "maxLength:<control>" or a value
// the checks keep in the scheduler's state.
QString observed(CoreFixture& f, const QString& name)
{
    const SchedulerState& s = f.core().state();
    const QHash<QString, QString> state{
        {QStringLiteral("Start_Time"), s.info.Start_Time},
        {QStringLiteral("Stop_Time"), s.info.Stop_Time},
        {QStringLiteral("Cycle_Minutes"), s.info.Cycle_Minutes},
        {QStringLiteral("countdown"), QString::number(s.countdown)},
        {QStringLiteral("User_SMTP_Port"), s.info.User_SMTP_Port},
        {QStringLiteral("Torvex_Addr"), s.info.Torvex_Addr},
        {QStringLiteral("Torvex_Name"), s.info.Torvex_Name},
        {QStringLiteral("Password"), s.info.Password},
        {QStringLiteral("gTorvexProfile"), s.info.gTorvexProfile},
        {QStringLiteral("gRegularFaxInterval"), QString::number(s.gRegularFaxInterval)},
        {QStringLiteral("focus"), controlName(f.view.focused)},
        {QStringLiteral("tab"), QString::number(f.view.tab)},
        {QStringLiteral("beeps"), QString::number(f.boxes->beeps)},
        {QStringLiteral("applyIsDefault"), QString::number(int(f.view.applyIsDefault))},
    };
    if (state.contains(name))
        return state.value(name);
    const QString what = name.section(QLatin1Char(':'), 0, 0);
    if (what == QLatin1String("enabled"))
        return QString::number(int(f.view.isEnabled(control(name.section(QLatin1Char(':'), 1)))));
    if (what == QLatin1String("maxLength"))
        return QString::number(f.view.maxLength(control(name.section(QLatin1Char(':'), 1))));
    return f.view.text(control(name));
}

// One step of the user's: "<control>=<text>" sets a text as the program
// would, "type <control> <keys>" types at the field's end (taking the focus
// first), "leave <control>" moves the focus there, "page <n>" brings a page
// forward, "on <control>"/"off <control>" enable or disable it.
void act(CoreFixture& f, const QString& step)
{
    const QString verb = step.section(QLatin1Char(' '), 0, 0);
    const QString arg = step.section(QLatin1Char(' '), 1, 1);
    if (verb == QLatin1String("type"))
        f.view.type(control(arg), step.section(QLatin1Char(' '), 2));
    else if (verb == QLatin1String("leave"))
        f.view.moveFocus(control(arg));
    else if (verb == QLatin1String("page"))
        f.view.switchFrame(arg.toInt());
    else if (verb == QLatin1String("on") || verb == QLatin1String("off"))
        f.view.setEnabled(control(arg), verb == QLatin1String("on"));
    else
        f.view.setText(control(step.section(QLatin1Char('='), 0, 0)), step.section(QLatin1Char('='), 1));
}
}  // namespace

class TstSettingsWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void applyWritesTheSection()
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

    void applyReportsChecksInOrderWritingNothing()
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
        f.view.setChecked(Control::Option2, false);  // neither connection option
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
        const QString chooserNote = QStringLiteral(
            "This version of TORVEX uses the Inbox on your desktop to store TORVEXes.\r\n\r\nIt works with MS Windows "
            "Messaging and MS Outlook but NOT MS Outlook Express.\r\n\r\nYou can choose an existing profile or set up a new one.\r\n");
        const std::vector<Step> steps = {
            {QStringLiteral("Please select 'Modem' or 'Network'."), 3, Control::Text2,
             [&] { f.view.setChecked(Control::Option1, true); }},
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
            {QStringLiteral("Missing Destination for TORVEX forwarding"), 8, Control::Text23, [&] {
                 f.view.tick(Control::Option4, true);
                 f.view.setText(Control::Text16, QString());
             }},
            // No profile named: the chooser is offered after its explanation;
            // cancelled, Apply ends where the user is.
            {chooserNote, 9, Control::Text23, [&] { f.chooser->answer = QStringLiteral("Torvex"); }},
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
        QCOMPARE(f.boxes->texts(), QStringList{chooserNote});
        QVERIFY(f.core().state().settingsApplied);
        QCOMPARE(f.key(QStringLiteral("Torvex_Profile")), QStringLiteral("Torvex"));
        QCOMPARE(f.view.text(Control::Text16), QStringLiteral("Torvex"));
        QCOMPARE(f.chooser->calls, 2);
        QCOMPARE(f.key(QStringLiteral("DUN_Name")), QStringLiteral("My ISP"));
        QCOMPARE(f.key(QStringLiteral("Modem_Connect")), QStringLiteral("y"));
        QCOMPARE(f.key(QStringLiteral("Printer_Type")), QStringLiteral("TORVEX PDF"));
        QCOMPARE(f.key(QStringLiteral("forward1")), QStringLiteral("2,,,"));
        QCOMPARE(f.key(QStringLiteral("forward2")), QStringLiteral("4930123,,,"));
        QCOMPARE(f.key(QStringLiteral("Print_Page_Hdr")), QStringLiteral("n"));  // none saved: off
    }

    void printerQuestionAnsweredNoIsNotAskedAgain_data()
    {
        QTest::addColumn<bool>("cups");
        QTest::newRow("no printer") << false;
        QTest::newRow("CUPS queues, none saved") << true;
    }

    void printerQuestionAnsweredNoIsNotAskedAgain()
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

    void forwardingFollowsTheMemberStatus_data()
    {
        QTest::addColumn<QString>("status");  // null: a first run
        QTest::addColumn<bool>("forwarding");
        QTest::addColumn<bool>("relay");
        QTest::addColumn<QString>("title");
        QTest::newRow("member") << "2" << true << false << " Member ";
        QTest::newRow("relay") << "3" << true << true << " Relay ";
        QTest::newRow("brisko") << "4" << true << false << " Brisko ";
        QTest::newRow("brisko relay") << "5" << true << true << " Brisko+Relay ";
        QTest::newRow("base") << "1" << false << false << " Basic ";
        QTest::newRow("no account yet") << "-" << false << false << "";
        QTest::newRow("none saved") << "" << false << false << "";
        QTest::newRow("first run") << QString() << false << false << "";
    }

    void forwardingFollowsTheMemberStatus()
    {
        QFETCH(QString, status);
        QFETCH(bool, forwarding);
        QFETCH(bool, relay);
        QFETCH(QString, title);
        QMap<QString, QString> settings;
        if (!status.isNull()) {
            settings = registeredSettings();
            settings.insert(QStringLiteral("Use_Defaults"), status);
            settings.insert(QStringLiteral("forward1"), QStringLiteral("1,,,"));
            settings.insert(QStringLiteral("forward2"), QStringLiteral("old@example.org,,,"));
        }
        CoreFixture f(settings);
        // Each switched control starts the other way, the page headers off.
        const Control forwardingControls[] = {Control::Check16, Control::Check17, Control::Check18, Control::Option3,
                                              Control::Option4, Control::Option5, Control::Option6, Control::Option7,
                                              Control::Option8, Control::Text23,  Control::Text24,  Control::Text25,
                                              Control::Text26,  Control::Text27,  Control::Text28};
        for (const Control c : forwardingControls)
            f.view.setEnabled(c, !forwarding);
        for (const Control c : {Control::Check15, Control::Option9})
            f.view.setEnabled(c, !relay);
        for (const Control c : {Control::Check6, Control::Check10, Control::Check11})
            f.view.setEnabled(c, false);
        QVERIFY(f.load());
        for (const Control c : forwardingControls)
            QVERIFY2(f.view.isEnabled(c) == forwarding, qPrintable(controlName(c)));
        QCOMPARE(f.view.isEnabled(Control::Check15), relay);
        QCOMPARE(f.view.isEnabled(Control::Option9), relay);
        for (const Control c : {Control::Check6, Control::Check10, Control::Check11})
            QVERIFY(f.view.isEnabled(c));
        QCOMPARE(f.view.text(Control::Label50), title);
        if (status.isNull() || status.isEmpty())
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

    void exitWithAndWithoutSavedPassword_data()
    {
        QTest::addColumn<bool>("save");
        QTest::newRow("saved") << true;
        QTest::newRow("not saved") << false;
    }

    void exitWithAndWithoutSavedPassword()
    {
        QFETCH(bool, save);
        CoreFixture f;
        QVERIFY(f.load());
        QVERIFY(f.view.isChecked(Control::Check13));
        f.view.tick(Control::Check13, save);
        f.core().settings().Command2_Click();
        QCOMPARE(f.endCalls, 1);
        QCOMPARE(f.key(QStringLiteral("Password")), save ? QStringLiteral("secret1") : QString());
        QCOMPARE(f.key(QStringLiteral("Save_Pass")), save ? QStringLiteral("1") : QStringLiteral("0"));
        QCOMPARE(f.iniText().contains("secret1"), save);
        // The SMTP log-on's password goes the same way.
        QCOMPARE(f.key(QStringLiteral("User_SMTP_Password")), save ? QStringLiteral("smtp-secret") : QString());
        QCOMPARE(f.iniText().contains("smtp-secret"), save);
    }

    void scheduleCheckBoxEnablesItsFields()
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

    // Without NetworkManager there is no dial-up: the network card connects,
    // whatever was saved.
    void modemOptionNeedsADialUpEntry_data()
    {
        QTest::addColumn<bool>("savedModem");
        QTest::newRow("network card saved") << false;
        QTest::newRow("modem saved") << true;
    }
    void modemOptionNeedsADialUpEntry()
    {
        QFETCH(bool, savedModem);
        CoreFixture f(registeredSettings({{"Modem_Connect", savedModem ? "y" : "n"}}));
        QVERIFY(f.load());
        QVERIFY(f.view.isChecked(Control::Option2));
        QVERIFY(!f.view.isChecked(Control::Option1));
        QVERIFY(!f.view.isEnabled(Control::Check14));
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

    void helpAndHomePages()
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

    void fieldCheck_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("message");  // the one box shown, empty: none
        QTest::addColumn<QStringList>("expected");  // "<name>=<value>", see observed()
        using L = QStringList;
        const auto row = [](const char* name, const L& steps, const char* message, const L& expected) {
            QTest::newRow(name) << steps << QString::fromUtf8(message) << expected;
        };
        const QString typed = QStringLiteral("type ");

        row("letter in the start hour", {"page 1", "type Text10 a"}, "Must be numeric!",
            {"Text10=0", "tab=4", "focus=Text10", "beeps=1"});
        row("start equal to stop", {"Text11=8", "type Text10", "Text10=8", "leave Check4"},
            "Invalid Entry, cannot start the schedule after it stops!", {"Text10=0", "Start_Time=0"});
        row("stop equal to start", {"Text11=8", "Text10=8", "page 1", "type Text11", "leave Check4"},
            "Invalid Entry, cannot stop the schedule before it starts!", {"tab=4", "focus=Text11", "Stop_Time=24"});
        row("the whole day", {"Text10=0", "Text11=24", "type Text10", "leave Text11", "leave Check4"}, "",
            {"Start_Time=0", "Stop_Time=24"});
        row("24 is no start hour", {"Text10=24", "type Text10", "leave Check4"},
            "Invalid Entry, must be between 0 and 23", {"focus=Text10"});
        for (const char* minutes : {"4", "5", "3600", "3601"}) {
            const L steps{"Text9=", typed + "Text9 " + minutes, "page 1", "leave Text2"};
            const QString m = QString::fromLatin1(minutes);
            if (m == QLatin1String("4") || m == QLatin1String("3601"))
                row(minutes, steps, "Invalid Entry, must be between 5 and 3600.",
                    {"tab=4", "focus=Text9", "Cycle_Minutes=60"});
            else  // inside the hours the countdown shows as it is
                row(minutes, steps, "", {"Cycle_Minutes=" + m, "countdown=" + m, "Text19=" + m});
        }
        for (const char* port : {"", "0", "1", "65535", "65536"}) {
            const L steps{"Text30=", typed + "Text30 " + port, "page 1", "leave Text2"};
            const QString p = QString::fromLatin1(port);
            if (p == QLatin1String("0") || p == QLatin1String("65536"))
                row(qPrintable("port " + p), steps, "Invalid Entry, must be between 1 and 65535",
                    {"tab=2", "focus=Text30", "User_SMTP_Port=587"});
            else  // empty: the standard port
                row(qPrintable("port " + p), steps, "", {"User_SMTP_Port=" + p});
        }
        row("leading zeros of the country code", {"Text2=", "type Text2 0044", "leave Text1"}, "", {"Text2=44"});
        row("leading zeros of the area code", {"Text3=", "type Text3 0207", "leave Text1"}, "",
            {"Text3=207", "Text2=44"});
        const L codeOne{"Text2=", "type Text2 1", "leave Text1"};
        row("country code 1: three-digit area codes", codeOne, "", {"maxLength:Text3=3"});
        row("country code 1: a six-digit number", codeOne + L{"Text3=212", "Text4=555123", "type Text4", "leave Text1"},
            "Area Code must be 3 digits and Number must be 7 digits.",
            {"focus=Text2", "txtVXAddress=4420712345@torvex.net"});
        row("country code 1: a seven-digit number", codeOne + L{"Text3=212", "Text4=5551234", "type Text4", "leave Text1"},
            "", {"Torvex_Addr=12125551234@torvex.net", "txtVXAddress=12125551234@torvex.net"});
        row("another country code lifts the limit", codeOne + L{"Text2=44", "type Text2", "leave Text1"}, "",
            {"maxLength:Text3=32767"});
        row("fax number without a country code", {"Text2=", "type Text4", "leave Text1"}, "Must enter the country code",
            {"focus=Text2"});
        row("fax number with dashes", {"Text2=49", "Text3=30", "Text4=555-01", "type Text4", "leave Check9"}, "",
            {"Torvex_Addr=493055501@torvex.net", "Text1=Torvex +49-30-555-01", "focus=Check9"});
        row("fax number of digits", {"Text2=49", "Text3=30", "Text4=55501", "type Text4", "leave Check9"}, "",
            {"Text1=Torvex +493055501", "Torvex_Name=Torvex +493055501", "focus=Text16"});

        const QString before = QStringLiteral("4420712345@torvex.net");
        for (const auto& [name, address, message, stored] :
             {std::tuple{"address ends in @", "4420712345@", "Invalid TORVEX Address!", ""},
              {"address starts with @", "@torvex.net", "Invalid TORVEX Address!", ""},
              {"address without @", "4420712345", "Invalid TORVEX Address!", ""},
              {"service domain, not digits", "bob@Torvex.NET", "'User Name' must be a global fax number.", ""},
              {"service domain", "4930555@TORVEX.net", "", "4930555@torvex.net"},
              {"other domain", "bob@example.org", "", "bob@example.org"}}) {
            // The field keeps what was typed.
            L expected{QStringLiteral("txtVXAddress=") + address,
                       QStringLiteral("Torvex_Addr=") + (*stored ? QString::fromLatin1(stored) : before)};
            if (QByteArray(message) == "Invalid TORVEX Address!")
                expected << QStringLiteral("focus=txtVXAddress");
            if (QByteArray(name) == "service domain")
                expected << QStringLiteral("Label31= 4930555@torvex.net ");
            row(name, {QStringLiteral("txtVXAddress=") + address, "type txtVXAddress", "leave Text1"}, message, expected);
        }

        const L passwords{"Text13=", "Text14="};
        row("password too short", passwords + L{"type Text13 abcd", "leave Text1"}, "You must enter at least 5 characters!",
            {"Text13=", "Password=", "focus=Text13"});
        row("password, on to the repeat", passwords + L{"type Text13 abcde", "leave Text1"}, "",
            {"Password=abcde", "focus=Text14"});
        const L mismatch = passwords + L{"type Text13 abcde", "leave Text1", "type Text14 abcdx", "leave Text1"};
        row("passwords differ", mismatch, "Not the same!", {"Text13=", "Text14=", "Password=", "focus=Text13"});
        row("passwords the same again", mismatch + L{"type Text13 abcde", "leave Text1", "type Text14 abcde", "leave Text1"},
            "Not the same!", {"Password=abcde"});

        // A registered account locks the names; these rows edit them.
        row("first name", {"on txtFirstName", "type txtFirstName   mary ann ", "leave txtTown"}, "",
            {"txtFirstName=Mary ann"});
        row("last name with a blank", {"on txtLastName", "type txtLastName van Dyke", "leave txtTown"},
            "No Blanks permitted!", {"txtLastName=Van Dyke", "focus=txtLastName", "tab=6"});
        row("last name with a quote", {"on txtLastName", "txtLastName=o'brien", "type txtLastName", "leave txtTown"},
            "Must be a to z and 0 to 9 !", {});
        row("first name with a diaeresis", {"on txtFirstName", "txtFirstName=Zoë", "type txtFirstName", "leave txtTown"},
            "Must be a to z and 0 to 9, blanks OK!", {});
        // The address group arms the account button; the street keeps Enter.
        row("in the street", {"off Command6", "type txtStreet"}, "", {"enabled:Command6=1", "applyIsDefault=0"});
        row("out of the street", {"type txtStreet", "leave txtTown"}, "", {"applyIsDefault=1"});

        row("profile as named on disk", {"Text16=TORVEX", "type Text16", "leave Text1"}, "",
            {"Text16=Torvex", "gTorvexProfile=Torvex"});
        row("no such profile", {"Text16=Nowhere", "type Text16", "leave Text1"}, "Could not find that profile!",
            {"focus=Text16", "gTorvexProfile=Torvex"});
        row("regular fax interval empty", {"Text22=", "type Text22", "leave Check6"},
            "Invalid Entry, must be between 1 and 99", {"Text22=0", "focus=Text22"});
        row("regular fax interval", {"Text22=30", "type Text22", "leave Check6"}, "", {"gRegularFaxInterval=30"});
    }

    void fieldCheck()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, message);
        QFETCH(QStringList, expected);
        CoreFixture f;
        QVERIFY(f.load());
        for (const QString& step : steps)
            act(f, step);
        QCOMPARE(f.boxes->texts(), message.isEmpty() ? QStringList() : QStringList{message});
        if (!message.isEmpty())
            QCOMPARE(f.boxes->shown.front().caption, programTitle());
        for (const QString& e : expected)
            QCOMPARE(e.section(QLatin1Char('='), 0, 0) + QLatin1Char('=') + observed(f, e.section(QLatin1Char('='), 0, 0)), e);
    }
};

QTEST_GUILESS_MAIN(TstSettingsWindow)
#include "tst_settings_window.moc"
