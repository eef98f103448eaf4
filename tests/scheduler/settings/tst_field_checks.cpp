// The entry fields' own checks: keys typed into a field, the focus moving on.
#include "tests/scheduler/support/scheduler_fixture.h"

#include "scheduler/core/program_title.h"

#include <QtTest>

using namespace torvex;
using namespace torvex::test;

namespace {

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

class TstFieldChecks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fieldCheck_data();
    void fieldCheck();
};

void TstFieldChecks::fieldCheck_data()
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

void TstFieldChecks::fieldCheck()
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

QTEST_GUILESS_MAIN(TstFieldChecks)
#include "tst_field_checks.moc"
