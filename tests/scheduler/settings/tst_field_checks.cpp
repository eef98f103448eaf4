// The entry fields' own checks: keys typed into a field, the focus moving on.
#include "tests/scheduler/support/scheduler_fixture.h"
#include "scheduler/schedule/schedule_engine.h"

#include "scheduler/core/program_title.h"

#include <QtTest>

using namespace torvex;
using namespace torvex::test;

class TstFieldChecks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void letterInStartHourIsRemovedWithOneMessage();
    void startEqualToStopIsRefusedFromBothFields();
    void wholeDayIsAccepted();
    void cycleMinutesBounds_data();
    void cycleMinutesBounds();
    void portBounds_data();
    void portBounds();
    void leadingZerosOfCountryAndAreaCode();
    void countryCodeOneNeedsThreeAndSevenDigits();
    void faxNumberBuildsAddressAndDeviceName();
    void torvexAddressChecks_data();
    void torvexAddressChecks();
    void passwordRules();
    void nameRules();
    void profileFieldTakesTheNameOnDisk();
    void regularFaxIntervalBounds();
};


void TstFieldChecks::letterInStartHourIsRemovedWithOneMessage()
{
    CoreFixture f;
    QVERIFY(f.load());
    f.view.switchFrame(1);
    f.view.type(Control::Text10, QStringLiteral("a"));
    QCOMPARE(f.view.text(Control::Text10), QStringLiteral("0"));
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("Must be numeric!")});
    QCOMPARE(f.boxes->shown.front().caption, programTitle());
    QCOMPARE(f.boxes->beeps, 1);
    QCOMPARE(f.view.tab, 4);
    QCOMPARE(f.view.focused, Control::Text10);
}

void TstFieldChecks::startEqualToStopIsRefusedFromBothFields()
{
    CoreFixture f;
    QVERIFY(f.load());

    f.view.setText(Control::Text11, QStringLiteral("8"));
    f.view.type(Control::Text10, QString());
    f.view.setText(Control::Text10, QStringLiteral("8"));
    f.view.moveFocus(Control::Check4);
    QCOMPARE(f.boxes->texts(),
             QStringList{QStringLiteral("Invalid Entry, cannot start the schedule after it stops!")});
    QCOMPARE(f.view.text(Control::Text10), QStringLiteral("0"));
    QCOMPARE(f.core().state().info.Start_Time, QStringLiteral("0"));

    f.boxes->shown.clear();
    f.view.setText(Control::Text10, QStringLiteral("8"));
    f.view.switchFrame(1);
    f.view.type(Control::Text11, QString());
    f.view.moveFocus(Control::Check4);
    QCOMPARE(f.boxes->texts(),
             QStringList{QStringLiteral("Invalid Entry, cannot stop the schedule before it starts!")});
    QCOMPARE(f.view.tab, 4);
    QCOMPARE(f.view.focused, Control::Text11);
    QCOMPARE(f.core().state().info.Stop_Time, QStringLiteral("24"));
}

void TstFieldChecks::wholeDayIsAccepted()
{
    CoreFixture f;
    QVERIFY(f.load());
    f.view.setText(Control::Text10, QStringLiteral("0"));
    f.view.setText(Control::Text11, QStringLiteral("24"));
    f.view.type(Control::Text10, QString());
    f.view.moveFocus(Control::Text11);
    f.view.moveFocus(Control::Check4);
    QVERIFY(f.boxes->texts().isEmpty());
    QCOMPARE(f.core().state().info.Start_Time, QStringLiteral("0"));
    QCOMPARE(f.core().state().info.Stop_Time, QStringLiteral("24"));

    // Out of range: 24 is no start hour, 25 no stop hour.
    f.view.setText(Control::Text10, QStringLiteral("24"));
    f.view.type(Control::Text10, QString());
    f.view.moveFocus(Control::Check4);
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("Invalid Entry, must be between 0 and 23")});
    QCOMPARE(f.view.focused, Control::Text10);
}

void TstFieldChecks::cycleMinutesBounds_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("4") << "4" << false;
    QTest::newRow("5") << "5" << true;
    QTest::newRow("3600") << "3600" << true;
    QTest::newRow("3601") << "3601" << false;
}

void TstFieldChecks::cycleMinutesBounds()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    CoreFixture f;
    QVERIFY(f.load());
    f.view.setText(Control::Text9, QString());
    f.view.type(Control::Text9, typed);
    f.view.switchFrame(1);  // the message must bring the schedule page back
    f.view.moveFocus(Control::Text2);
    if (accepted) {
        QVERIFY(f.boxes->texts().isEmpty());
        QCOMPARE(f.core().state().info.Cycle_Minutes, typed);
        QCOMPARE(f.core().state().countdown, typed.toInt());
        QCOMPARE(f.view.text(Control::Text19), typed);  // inside the hours: the countdown itself
    } else {
        QCOMPARE(f.boxes->texts(),
                 QStringList{QStringLiteral("Invalid Entry, must be between 5 and 3600.")});
        QCOMPARE(f.view.tab, 4);
        QCOMPARE(f.view.focused, Control::Text9);
        QCOMPARE(f.core().state().info.Cycle_Minutes, QStringLiteral("60"));
    }
}

void TstFieldChecks::portBounds_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("empty: the standard port") << "" << true;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("1") << "1" << true;
    QTest::newRow("65535") << "65535" << true;
    QTest::newRow("65536") << "65536" << false;
}

void TstFieldChecks::portBounds()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    CoreFixture f;
    QVERIFY(f.load());
    f.view.setText(Control::Text30, QString());
    f.view.type(Control::Text30, typed);
    f.view.switchFrame(1);  // the message must bring the mail page back
    f.view.moveFocus(Control::Text2);
    if (accepted) {
        QVERIFY(f.boxes->texts().isEmpty());
        QCOMPARE(f.core().state().info.User_SMTP_Port, typed);
    } else {
        QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("Invalid Entry, must be between 1 and 65535")});
        QCOMPARE(f.view.tab, 2);
        QCOMPARE(f.view.focused, Control::Text30);
        QCOMPARE(f.core().state().info.User_SMTP_Port, QStringLiteral("587"));
    }
}

void TstFieldChecks::leadingZerosOfCountryAndAreaCode()
{
    CoreFixture f;
    QVERIFY(f.load());
    f.view.setText(Control::Text2, QString());
    f.view.type(Control::Text2, QStringLiteral("0044"));
    f.view.moveFocus(Control::Text1);
    QCOMPARE(f.view.text(Control::Text2), QStringLiteral("44"));

    f.view.setText(Control::Text3, QString());
    f.view.type(Control::Text3, QStringLiteral("0207"));
    f.view.moveFocus(Control::Text1);
    QCOMPARE(f.view.text(Control::Text3), QStringLiteral("207"));
    QCOMPARE(f.view.text(Control::Text2), QStringLiteral("44"));
    QVERIFY(f.boxes->texts().isEmpty());
}

void TstFieldChecks::countryCodeOneNeedsThreeAndSevenDigits()
{
    CoreFixture f;
    QVERIFY(f.load());
    f.view.setText(Control::Text2, QString());
    f.view.type(Control::Text2, QStringLiteral("1"));
    f.view.moveFocus(Control::Text1);
    QCOMPARE(f.view.maxLength(Control::Text3), 3);
    f.view.setText(Control::Text3, QStringLiteral("212"));

    f.view.setText(Control::Text4, QStringLiteral("555123"));
    f.view.type(Control::Text4, QString());
    f.view.moveFocus(Control::Text1);
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral(
                                   "Area Code must be 3 digits and Number must be 7 digits.")});
    QCOMPARE(f.view.focused, Control::Text2);
    QCOMPARE(f.view.text(Control::txtVXAddress), QStringLiteral("4420712345@torvex.net"));

    f.boxes->shown.clear();
    f.view.setText(Control::Text4, QStringLiteral("5551234"));
    f.view.type(Control::Text4, QString());
    f.view.moveFocus(Control::Text1);
    QVERIFY(f.boxes->texts().isEmpty());
    QCOMPARE(f.core().state().info.Torvex_Addr, QStringLiteral("12125551234@torvex.net"));
    QCOMPARE(f.view.text(Control::txtVXAddress), QStringLiteral("12125551234@torvex.net"));

    // Another country code lifts the three-digit limit again.
    f.view.setText(Control::Text2, QStringLiteral("44"));
    f.view.type(Control::Text2, QString());
    f.view.moveFocus(Control::Text1);
    QVERIFY(f.view.maxLength(Control::Text3) > 3);
}

void TstFieldChecks::faxNumberBuildsAddressAndDeviceName()
{
    CoreFixture f;
    QVERIFY(f.load());
    f.view.setText(Control::Text2, QString());
    f.view.type(Control::Text4, QString());
    f.view.moveFocus(Control::Text1);
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("Must enter the country code")});
    QCOMPARE(f.view.focused, Control::Text2);

    f.boxes->shown.clear();
    f.view.setText(Control::Text2, QStringLiteral("49"));
    f.view.setText(Control::Text3, QStringLiteral("30"));
    f.view.setText(Control::Text4, QStringLiteral("555-01"));
    f.view.type(Control::Text4, QString());
    f.view.moveFocus(Control::Check9);
    QCOMPARE(f.core().state().info.Torvex_Addr, QStringLiteral("493055501@torvex.net"));
    QCOMPARE(f.view.text(Control::Text1), QStringLiteral("Torvex +49-30-555-01"));
    QCOMPARE(f.view.focused, Control::Check9);

    f.view.setText(Control::Text4, QStringLiteral("55501"));
    f.view.type(Control::Text4, QString());
    f.view.moveFocus(Control::Check9);
    QCOMPARE(f.view.text(Control::Text1), QStringLiteral("Torvex +493055501"));
    QCOMPARE(f.core().state().info.Torvex_Name, QStringLiteral("Torvex +493055501"));
    QCOMPARE(f.view.focused, Control::Text16);
}

void TstFieldChecks::torvexAddressChecks_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("stored");
    const QString before = QStringLiteral("4420712345@torvex.net");
    QTest::newRow("ends in @") << "4420712345@" << "Invalid TORVEX Address!" << before;
    QTest::newRow("starts with @") << "@torvex.net" << "Invalid TORVEX Address!" << before;
    QTest::newRow("no @") << "4420712345" << "Invalid TORVEX Address!" << before;
    QTest::newRow("service domain, not digits")
        << "bob@Torvex.NET" << "'User Name' must be a global fax number." << before;
    QTest::newRow("service domain") << "4930555@TORVEX.net" << "" << "4930555@torvex.net";
    QTest::newRow("other domain") << "bob@example.org" << "" << "bob@example.org";
}

void TstFieldChecks::torvexAddressChecks()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, stored);
    CoreFixture f;
    QVERIFY(f.load());
    f.view.setText(Control::txtVXAddress, typed);
    f.view.type(Control::txtVXAddress, QString());
    f.view.moveFocus(Control::Text1);
    QCOMPARE(f.boxes->texts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(f.core().state().info.Torvex_Addr, stored);
    if (message == QLatin1String("Invalid TORVEX Address!"))
        QCOMPARE(f.view.focused, Control::txtVXAddress);
    QCOMPARE(f.view.text(Control::txtVXAddress), typed);  // the field keeps what was typed
    if (stored.endsWith(QLatin1String("@torvex.net")) && message.isEmpty())
        QCOMPARE(f.view.text(Control::Label31), QLatin1Char(' ') + stored + QLatin1Char(' '));
}

void TstFieldChecks::passwordRules()
{
    CoreFixture f;
    QVERIFY(f.load());
    SchedulerState& s = f.core().state();
    f.view.setText(Control::Text13, QString());
    f.view.setText(Control::Text14, QString());
    f.view.type(Control::Text13, QStringLiteral("abcd"));
    f.view.moveFocus(Control::Text1);
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("You must enter at least 5 characters!")});
    QVERIFY(f.view.text(Control::Text13).isEmpty());
    QVERIFY(s.info.Password.isEmpty());
    QCOMPARE(f.view.focused, Control::Text13);

    f.boxes->shown.clear();
    f.view.type(Control::Text13, QStringLiteral("abcde"));
    f.view.moveFocus(Control::Text1);
    QCOMPARE(s.info.Password, QStringLiteral("abcde"));
    QCOMPARE(f.view.focused, Control::Text14);  // on to the repeat field
    f.view.type(Control::Text14, QStringLiteral("abcdx"));
    f.view.moveFocus(Control::Text1);
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("Not the same!")});
    QVERIFY(f.view.text(Control::Text13).isEmpty());
    QVERIFY(f.view.text(Control::Text14).isEmpty());
    QVERIFY(s.info.Password.isEmpty());
    QCOMPARE(f.view.focused, Control::Text13);

    f.boxes->shown.clear();
    f.view.type(Control::Text13, QStringLiteral("abcde"));
    f.view.moveFocus(Control::Text1);
    f.view.type(Control::Text14, QStringLiteral("abcde"));
    f.view.moveFocus(Control::Text1);
    QVERIFY(f.boxes->texts().isEmpty());
    QCOMPARE(s.info.Password, QStringLiteral("abcde"));
}

void TstFieldChecks::nameRules()
{
    CoreFixture f;
    QVERIFY(f.load(QDateTime(QDate(2024, 3, 12), QTime(10, 0))));
    // A registered account locks the names; this test edits them.
    f.view.setEnabled(Control::txtFirstName, true);
    f.view.setEnabled(Control::txtLastName, true);

    f.view.type(Control::txtFirstName, QStringLiteral("  mary ann "));
    f.view.moveFocus(Control::txtTown);
    QCOMPARE(f.view.text(Control::txtFirstName), QStringLiteral("Mary ann"));
    QVERIFY(f.boxes->texts().isEmpty());

    f.view.type(Control::txtLastName, QStringLiteral("van Dyke"));
    f.view.moveFocus(Control::txtTown);
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("No Blanks permitted!")});
    QCOMPARE(f.view.text(Control::txtLastName), QStringLiteral("Van Dyke"));
    QCOMPARE(f.view.focused, Control::txtLastName);
    QCOMPARE(f.view.tab, 6);

    f.boxes->shown.clear();
    f.view.setText(Control::txtLastName, QStringLiteral("o'brien"));
    f.view.moveFocus(Control::txtTown);
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("Must be a to z and 0 to 9 !")});

    f.boxes->shown.clear();
    f.view.setText(Control::txtLastName, QStringLiteral("Obrien"));
    f.view.setText(Control::txtFirstName, QStringLiteral("Zoë"));
    f.view.type(Control::txtFirstName, QString());
    f.view.moveFocus(Control::txtTown);
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("Must be a to z and 0 to 9, blanks OK!")});

    // The address group arms the account button; the street keeps Enter.
    f.view.setText(Control::txtFirstName, QStringLiteral("Zoe"));
    QVERIFY(f.view.isEnabled(Control::Command6));
    f.view.type(Control::txtStreet, QString());
    QVERIFY(!f.view.applyIsDefault);
    f.view.moveFocus(Control::txtTown);
    QVERIFY(f.view.applyIsDefault);
}

void TstFieldChecks::profileFieldTakesTheNameOnDisk()
{
    CoreFixture f;
    QVERIFY(f.load());
    f.view.setText(Control::Text16, QStringLiteral("TORVEX"));
    f.view.type(Control::Text16, QString());
    f.view.moveFocus(Control::Text1);
    QVERIFY(f.boxes->texts().isEmpty());
    QCOMPARE(f.view.text(Control::Text16), QStringLiteral("Torvex"));
    QCOMPARE(f.core().state().info.gTorvexProfile, QStringLiteral("Torvex"));

    f.view.setText(Control::Text16, QStringLiteral("Nowhere"));
    f.view.type(Control::Text16, QString());
    f.view.moveFocus(Control::Text1);
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("Could not find that profile!")});
    QCOMPARE(f.view.focused, Control::Text16);
    QCOMPARE(f.core().state().info.gTorvexProfile, QStringLiteral("Torvex"));
}

void TstFieldChecks::regularFaxIntervalBounds()
{
    CoreFixture f;
    QVERIFY(f.load());
    f.view.setText(Control::Text22, QString());
    f.view.type(Control::Text22, QString());
    f.view.moveFocus(Control::Check6);
    QCOMPARE(f.view.text(Control::Text22), QStringLiteral("0"));
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("Invalid Entry, must be between 1 and 99")});
    QCOMPARE(f.view.focused, Control::Text22);

    f.view.setText(Control::Text22, QStringLiteral("30"));
    f.view.moveFocus(Control::Check6);
    QCOMPARE(f.core().state().gRegularFaxInterval, 30);
}

QTEST_GUILESS_MAIN(TstFieldChecks)
#include "tst_field_checks.moc"
