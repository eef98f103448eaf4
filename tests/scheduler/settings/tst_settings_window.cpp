// "&Apply Settings", "E&xit" and the page handlers, and the entry fields'
// own checks (keys typed into a field, the focus moving on).
#include "tests/scheduler/support/scheduler_fixture.h"
#include "platform/print/printer_list.h"
#include "tests/support/cups_server.h"
#include "scheduler/core/program_title.h"
#include "scheduler/settings/security_fields.h"
#include "scheduler/settings/settings_apply.h"

#include <QtTest>

using namespace torvex;
using namespace torvex::test;

namespace {

// What a row names: a control's text, "focus", "tab", "beeps",
// "applyIsDefault", "status" (the status bar after its time),
// "enabled:<control>", "maxLength:<control>" or a value the checks keep in
// the scheduler's state.
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
        {QStringLiteral("status"), f.statusText().mid(f.core().statusBar().myDateTime().size()).trimmed()},
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
// forward, "on <control>"/"off <control>" enable or disable it,
// "tick <box>"/"untick <box>" are the user's, "set <box>"/"unset <box>" the
// program's, "add <list> <entry>" and "empty <list>" fill or empty a list,
// "choose <profile>" is the profile chooser's next answer.
void act(CoreFixture& f, const QString& step)
{
    const QString verb = step.section(QLatin1Char(' '), 0, 0);
    const QString arg = step.section(QLatin1Char(' '), 1, 1);
    const QString rest = step.section(QLatin1Char(' '), 2);
    if (verb == QLatin1String("type"))
        f.view.type(control(arg), rest);
    else if (verb == QLatin1String("leave"))
        f.view.moveFocus(control(arg));
    else if (verb == QLatin1String("page"))
        f.view.switchFrame(arg.toInt());
    else if (verb == QLatin1String("on") || verb == QLatin1String("off"))
        f.view.setEnabled(control(arg), verb == QLatin1String("on"));
    else if (verb == QLatin1String("tick") || verb == QLatin1String("untick"))
        f.view.tick(control(arg), verb == QLatin1String("tick"));
    else if (verb == QLatin1String("set") || verb == QLatin1String("unset"))
        f.view.setChecked(control(arg), verb == QLatin1String("set"));
    else if (verb == QLatin1String("add"))
        f.view.addEntry(control(arg), rest);
    else if (verb == QLatin1String("empty"))
        f.view.clearEntries(control(arg));
    else if (verb == QLatin1String("choose"))
        f.chooser->answer = arg;
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
        f.view.click(Control::Command1);
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

        // Break every field Apply checks (neither connection option either);
        // each Apply must stop at the next one.
        for (const char* step : {"txtVXAddress=", "Text16=Nowhere", "Text14=", "Text6=", "Text7=", "empty Combo1",
                                 "unset Option2", "Text9=0", "tick Check5", "Text15=", "tick Check8", "Text12=",
                                 "tick Check16", "tick Option3", "Text24=4930123", "Text33=70000", "Text32=",
                                 "Text34=/no/such/ca.pem"})
            act(f, QString::fromLatin1(step));

        struct Step {
            QString message;
            int tab;
            Control field;
            QStringList fix;
        };
        const QString chooserNote = QStringLiteral(
            "This version of TORVEX uses the Inbox on your desktop to store TORVEXes.\r\n\r\nIt works with MS Windows "
            "Messaging and MS Outlook but NOT MS Outlook Express.\r\n\r\nYou can choose an existing profile or set up a new one.\r\n");
        const std::vector<Step> steps = {
            {"Please select 'Modem' or 'Network'.", 3, Control::Text2, {"set Option1"}},
            {"Missing Torvex Address!", 1, Control::txtVXAddress, {"txtVXAddress=4420712345@torvex.net"}},
            {"Could not find MS Exchange profile!NOWHERE", 1, Control::Text16, {"Text16=torvex"}},
            {"Missing Password!", 1, Control::Text13, {"Text14=secret1"}},
            {"Missing Regular EMail Address!", 2, Control::Text6, {"Text6=me@example.org"}},
            {"Missing SMTP Server!", 2, Control::Text7, {"Text7=smtp.example.org"}},
            {"Invalid Entry, must be between 1 and 65535", 2, Control::Text33, {"Text33=25"}},
            {"Missing SMTP Password!", 2, Control::Text32, {"Text32=smtp-secret"}},
            {"Certificate file not found!", 2, Control::Text34, {"Text34="}},
            {"To automatically print TORVEXes you need to specify a printer.\r\nWould you like to do it now?", 5,
             Control::Combo2, {"add Combo2 TORVEX PDF"}},
            {"Please provide a Dial-Up Connection Name", 3, Control::Combo1, {"add Combo1 My ISP"}},
            {"Missing Period", 4, Control::Text9, {"Text9=30"}},
            {"Please provide a profile name", 4, Control::Text15, {"Text15=Torvex"}},
            {"Please provide a profile name for your normal faxes", 5, Control::Text12, {"Text12=Torvex"}},
            {"Missing Destination for TORVEX forwarding", 8, Control::Text23, {"tick Option4", "Text16="}},
            // No profile named: the chooser is offered after its explanation;
            // cancelled, Apply ends where the user is.
            {chooserNote, 9, Control::Text23, {"choose Torvex"}},
        };

        for (const Step& step : steps) {
            const QByteArray before = f.iniText();
            f.boxes->shown.clear();
            f.view.switchFrame(9);
            f.view.click(Control::Command1);
            QCOMPARE(f.boxes->texts(), QStringList{step.message});
            QCOMPARE(f.boxes->shown.front().caption, programTitle());
            QVERIFY(!f.core().state().settingsApplied);
            QCOMPARE(f.view.tab, step.tab);
            QCOMPARE(f.view.focused, step.field);
            QCOMPARE(f.iniText(), before);
            QVERIFY(f.view.isEnabled(Control::Command1));
            for (const QString& fix : step.fix)
                act(f, fix);
        }

        f.boxes->shown.clear();
        f.view.click(Control::Command1);
        QCOMPARE(f.boxes->texts(), QStringList{chooserNote});
        QVERIFY(f.core().state().settingsApplied);
        QCOMPARE(f.view.text(Control::Text16), QStringLiteral("Torvex"));
        QCOMPARE(f.chooser->calls, 2);
        // Print_Page_Hdr: none saved, off.
        for (const auto& [key, value] : {std::pair{"Torvex_Profile", "Torvex"}, {"DUN_Name", "My ISP"}, {"Modem_Connect", "y"},
                                         {"Printer_Type", "TORVEX PDF"}, {"forward1", "2,,,"}, {"forward2", "4930123,,,"},
                                         {"Print_Page_Hdr", "n"}})
            QCOMPARE(key + QStringLiteral("=") + f.key(QString::fromLatin1(key)), key + QStringLiteral("=") + value);
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
        f.view.click(Control::Command1);
        QCOMPARE(f.boxes->texts().size(), 2);
        QCOMPARE(f.boxes->texts().at(1),
                 QStringLiteral("TORVEXes will be retrieved but will not be printed until you specify "
                                "a printer."));
        QVERIFY(f.core().state().settingsApplied);
        QCOMPARE(f.key(QStringLiteral("Printer_Type")), QString());

        f.boxes->shown.clear();
        f.view.click(Control::Command1);
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
        CoreFixture f(status.isNull() ? QMap<QString, QString>()
                                      : registeredSettings({{"Use_Defaults", status},
                                                            {"forward1", "1,,,"},
                                                            {"forward2", "old@example.org,,,"}}));
        // Whether each switched control ends enabled; each starts the other
        // way (the page headers too).
        QHash<Control, bool> enabled{{Control::Check15, relay}, {Control::Option9, relay}, {Control::Check6, true},
                                     {Control::Check10, true},  {Control::Check11, true}};
        for (const Control c : {Control::Check16, Control::Check17, Control::Check18, Control::Option3, Control::Option4,
                                Control::Option5, Control::Option6, Control::Option7, Control::Option8, Control::Text23,
                                Control::Text24, Control::Text25, Control::Text26, Control::Text27, Control::Text28})
            enabled.insert(c, forwarding);
        for (const auto& [c, on] : enabled.asKeyValueRange())
            f.view.setEnabled(c, !on);
        QVERIFY(f.load());
        for (const auto& [c, on] : enabled.asKeyValueRange())
            QVERIFY2(f.view.isEnabled(c) == on, qPrintable(controlName(c)));
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
        f.view.click(Control::Command1);
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
        f.view.click(Control::Command2);
        QCOMPARE(f.endCalls, 1);
        QCOMPARE(f.key(QStringLiteral("Password")), save ? QStringLiteral("secret1") : QString());
        QCOMPARE(f.key(QStringLiteral("Save_Pass")), save ? QStringLiteral("1") : QStringLiteral("0"));
        QCOMPARE(f.iniText().contains("secret1"), save);
        // The SMTP log-on's password goes the same way.
        QCOMPARE(f.key(QStringLiteral("User_SMTP_Password")), save ? QStringLiteral("smtp-secret") : QString());
        QCOMPARE(f.iniText().contains("smtp-secret"), save);
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
        // A number typed into an emptied field, from another page.
        const auto typedInto = [](const QString& field, const QString& keys) {
            return L{field + "=", "type " + field + " " + keys, "page 1", "leave Text2"};
        };
        for (const char* minutes : {"4", "3601"})
            row(minutes, typedInto("Text9", minutes), "Invalid Entry, must be between 5 and 3600.",
                {"tab=4", "focus=Text9", "Cycle_Minutes=60"});
        for (const QString m : {"5", "3600"})  // inside the hours the countdown shows as it is
            row(qPrintable(m), typedInto("Text9", m), "", {"Cycle_Minutes=" + m, "countdown=" + m, "Text19=" + m});
        for (const QString p : {"0", "65536"})
            row(qPrintable("port " + p), typedInto("Text30", p), "Invalid Entry, must be between 1 and 65535",
                {"tab=2", "focus=Text30", "User_SMTP_Port=587"});
        for (const QString p : {"", "1", "65535"})  // empty: the standard port
            row(qPrintable("port " + p), typedInto("Text30", p), "", {"User_SMTP_Port=" + p});
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

        // The schedule's box switches its fields, and the status bar follows.
        row("schedule off", {"untick Check3"}, "",
            {"enabled:Text9=0", "enabled:Text10=0", "enabled:Text11=0", "enabled:Text15=0", "Text19=",
             "status=No activity scheduled"});
        row("regular faxes only", {"untick Check3", "tick Check8"}, "",
            {"enabled:Text12=1", "status=Waiting for regular faxes"});
        row("schedule on again", {"untick Check3", "tick Check3"}, "",
            {"enabled:Text9=1", "Text19=60", "status=Next TORVEX retrieval scheduled in 60 minutes."});
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
