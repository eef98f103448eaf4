// The entry fields' own checks, driven through the real widgets.
#include "form_fixture.h"
#include "scheduler/schedule_engine.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace torvex;
using namespace torvex::test;

class TstFieldChecks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void letterInStartHourIsRemovedWithOneMessage();
    void letterTypedMidFieldUndoesOnlyThatKeystroke();
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

namespace {

QWidget* focused()
{
    return QApplication::focusWidget();
}

}  // namespace

void TstFieldChecks::letterInStartHourIsRemovedWithOneMessage()
{
    FormFixture f;
    QVERIFY(f.load());
    f.showActive();
    f.form().switchFrame(1);
    f.c().Text10->setFocus(Qt::TabFocusReason);
    f.c().Text10->end(false);
    QTest::keyClicks(f.c().Text10, QStringLiteral("a"));
    QCOMPARE(f.c().Text10->text(), QStringLiteral("0"));
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("Must be numeric!")});
    QCOMPARE(f.boxes->shown.front().caption, MainForm::title());
    QCOMPARE(f.boxes->beeps, 1);
    QCOMPARE(f.form().state().currentPage, 3);
    QCOMPARE(focused(), f.c().Text10);
}

void TstFieldChecks::letterTypedMidFieldUndoesOnlyThatKeystroke()
{
    FormFixture f;
    QVERIFY(f.load());
    f.showActive();
    f.c().Text9->setText(QStringLiteral("12"));
    f.c().Text9->setFocus(Qt::TabFocusReason);
    f.c().Text9->setCursorPosition(1);
    QTest::keyClicks(f.c().Text9, QStringLiteral("x"));
    QCOMPARE(f.c().Text9->text(), QStringLiteral("12"));
    QCOMPARE(f.boxes->texts().size(), 1);
    // Digits still go in where they are typed.
    QTest::keyClicks(f.c().Text9, QStringLiteral("0"));
    QCOMPARE(f.c().Text9->text(), QStringLiteral("102"));
    QCOMPARE(f.boxes->texts().size(), 1);
}

void TstFieldChecks::startEqualToStopIsRefusedFromBothFields()
{
    FormFixture f;
    QVERIFY(f.load());
    f.showActive();
    FormControls& c = f.c();

    c.Text11->setText(QStringLiteral("8"));
    FormFixture::typeInto(c.Text10, QString());
    c.Text10->setText(QStringLiteral("8"));
    FormFixture::leaveTo(c.Check4);
    QCOMPARE(f.boxes->texts(),
             QStringList{QStringLiteral("Invalid Entry, cannot start the schedule after it stops!")});
    QCOMPARE(c.Text10->text(), QStringLiteral("0"));
    QCOMPARE(f.form().state().info.Start_Time, QStringLiteral("0"));

    f.boxes->shown.clear();
    c.Text10->setText(QStringLiteral("8"));
    f.form().switchFrame(1);
    FormFixture::typeInto(c.Text11, QString());
    FormFixture::leaveTo(c.Check4);
    QCOMPARE(f.boxes->texts(),
             QStringList{QStringLiteral("Invalid Entry, cannot stop the schedule before it starts!")});
    QCOMPARE(f.form().state().currentPage, 3);
    QCOMPARE(focused(), c.Text11);
    QCOMPARE(f.form().state().info.Stop_Time, QStringLiteral("24"));
}

void TstFieldChecks::wholeDayIsAccepted()
{
    FormFixture f;
    QVERIFY(f.load());
    f.showActive();
    FormControls& c = f.c();
    c.Text10->setText(QStringLiteral("0"));
    c.Text11->setText(QStringLiteral("24"));
    FormFixture::typeInto(c.Text10, QString());
    FormFixture::leaveTo(c.Text11);
    FormFixture::leaveTo(c.Check4);
    QVERIFY(f.boxes->texts().isEmpty());
    QCOMPARE(f.form().state().info.Start_Time, QStringLiteral("0"));
    QCOMPARE(f.form().state().info.Stop_Time, QStringLiteral("24"));

    // Out of range: 24 is no start hour, 25 no stop hour.
    c.Text10->setText(QStringLiteral("24"));
    FormFixture::typeInto(c.Text10, QString());
    FormFixture::leaveTo(c.Check4);
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("Invalid Entry, must be between 0 and 23")});
    QCOMPARE(focused(), c.Text10);
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
    FormFixture f;
    QVERIFY(f.load());
    f.showActive();
    FormControls& c = f.c();
    c.Text9->clear();
    FormFixture::typeInto(c.Text9, typed);
    f.form().switchFrame(1);  // the message must bring the schedule page back
    FormFixture::leaveTo(c.Text2);
    if (accepted) {
        QVERIFY(f.boxes->texts().isEmpty());
        QCOMPARE(f.form().state().info.Cycle_Minutes, typed);
        QCOMPARE(f.form().state().countdown, typed.toInt());
        QCOMPARE(c.Text19->text(), typed);  // inside the hours: the countdown itself
    } else {
        QCOMPARE(f.boxes->texts(),
                 QStringList{QStringLiteral("Invalid Entry, must be between 5 and 3600.")});
        QCOMPARE(f.form().state().currentPage, 3);
        QCOMPARE(focused(), c.Text9);
        QCOMPARE(f.form().state().info.Cycle_Minutes, QStringLiteral("60"));
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
    FormFixture f;
    QVERIFY(f.load());
    f.showActive();
    FormControls& c = f.c();
    c.Text30->clear();
    FormFixture::typeInto(c.Text30, typed);
    f.form().switchFrame(1);
    FormFixture::leaveTo(c.Text2);
    if (accepted) {
        QVERIFY(f.boxes->texts().isEmpty());
        QCOMPARE(f.form().state().info.User_SMTP_Port, typed);
    } else {
        QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("Invalid Entry, must be between 1 and 65535")});
        QCOMPARE(f.form().state().currentPage, 1);
        QCOMPARE(focused(), c.Text30);
        QCOMPARE(f.form().state().info.User_SMTP_Port, QStringLiteral("587"));
    }
}

void TstFieldChecks::leadingZerosOfCountryAndAreaCode()
{
    FormFixture f;
    QVERIFY(f.load());
    f.showActive();
    FormControls& c = f.c();
    c.Text2->clear();
    FormFixture::typeInto(c.Text2, QStringLiteral("0044"));
    FormFixture::leaveTo(c.Text1);
    QCOMPARE(c.Text2->text(), QStringLiteral("44"));

    c.Text3->clear();
    FormFixture::typeInto(c.Text3, QStringLiteral("0207"));
    FormFixture::leaveTo(c.Text1);
    QCOMPARE(c.Text3->text(), QStringLiteral("207"));
    QCOMPARE(c.Text2->text(), QStringLiteral("44"));
    QVERIFY(f.boxes->texts().isEmpty());
}

void TstFieldChecks::countryCodeOneNeedsThreeAndSevenDigits()
{
    FormFixture f;
    QVERIFY(f.load());
    f.showActive();
    FormControls& c = f.c();
    c.Text2->clear();
    FormFixture::typeInto(c.Text2, QStringLiteral("1"));
    FormFixture::leaveTo(c.Text1);
    QCOMPARE(c.Text3->maxLength(), 3);
    c.Text3->setText(QStringLiteral("212"));

    c.Text4->setText(QStringLiteral("555123"));
    FormFixture::typeInto(c.Text4, QString());
    FormFixture::leaveTo(c.Text1);
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral(
                                   "Area Code must be 3 digits and Number must be 7 digits.")});
    QCOMPARE(focused(), c.Text2);
    QCOMPARE(c.txtVXAddress->text(), QStringLiteral("4420712345@torvex.net"));

    f.boxes->shown.clear();
    c.Text4->setText(QStringLiteral("5551234"));
    FormFixture::typeInto(c.Text4, QString());
    FormFixture::leaveTo(c.Text1);
    QVERIFY(f.boxes->texts().isEmpty());
    QCOMPARE(f.form().state().info.Torvex_Addr, QStringLiteral("12125551234@torvex.net"));
    QCOMPARE(c.txtVXAddress->text(), QStringLiteral("12125551234@torvex.net"));

    // Another country code lifts the three-digit limit again.
    c.Text2->setText(QStringLiteral("44"));
    FormFixture::typeInto(c.Text2, QString());
    FormFixture::leaveTo(c.Text1);
    QVERIFY(c.Text3->maxLength() > 3);
}

void TstFieldChecks::faxNumberBuildsAddressAndDeviceName()
{
    FormFixture f;
    QVERIFY(f.load());
    f.showActive();
    FormControls& c = f.c();
    c.Text2->clear();
    FormFixture::typeInto(c.Text4, QString());
    FormFixture::leaveTo(c.Text1);
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("Must enter the country code")});
    QCOMPARE(focused(), c.Text2);

    f.boxes->shown.clear();
    c.Text2->setText(QStringLiteral("49"));
    c.Text3->setText(QStringLiteral("30"));
    c.Text4->setText(QStringLiteral("555-01"));
    FormFixture::typeInto(c.Text4, QString());
    FormFixture::leaveTo(c.Check9);
    QCOMPARE(f.form().state().info.Torvex_Addr, QStringLiteral("493055501@torvex.net"));
    QCOMPARE(c.Text1->text(), QStringLiteral("Torvex +49-30-555-01"));
    QCOMPARE(focused(), c.Check9);

    c.Text4->setText(QStringLiteral("55501"));
    FormFixture::typeInto(c.Text4, QString());
    FormFixture::leaveTo(c.Check9);
    QCOMPARE(c.Text1->text(), QStringLiteral("Torvex +493055501"));
    QCOMPARE(f.form().state().info.Torvex_Name, QStringLiteral("Torvex +493055501"));
    QCOMPARE(focused(), c.Text16);
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
    FormFixture f;
    QVERIFY(f.load());
    f.showActive();
    FormControls& c = f.c();
    c.txtVXAddress->setText(typed);
    FormFixture::typeInto(c.txtVXAddress, QString());
    FormFixture::leaveTo(c.Text1);
    QCOMPARE(f.boxes->texts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(f.form().state().info.Torvex_Addr, stored);
    if (message == QLatin1String("Invalid TORVEX Address!"))
        QCOMPARE(focused(), c.txtVXAddress);
    QCOMPARE(c.txtVXAddress->text(), typed);  // the field keeps what was typed
    if (stored.endsWith(QLatin1String("@torvex.net")) && message.isEmpty())
        QCOMPARE(c.Label31->text(), QLatin1Char(' ') + stored + QLatin1Char(' '));
}

void TstFieldChecks::passwordRules()
{
    FormFixture f;
    QVERIFY(f.load());
    f.showActive();
    FormControls& c = f.c();
    SchedulerState& s = f.form().state();
    c.Text13->clear();
    c.Text14->clear();
    FormFixture::typeInto(c.Text13, QStringLiteral("abcd"));
    FormFixture::leaveTo(c.Text1);
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("You must enter at least 5 characters!")});
    QVERIFY(c.Text13->text().isEmpty());
    QVERIFY(s.info.Password.isEmpty());
    QCOMPARE(focused(), c.Text13);

    f.boxes->shown.clear();
    QTest::keyClicks(c.Text13, QStringLiteral("abcde"));
    FormFixture::leaveTo(c.Text1);
    QCOMPARE(s.info.Password, QStringLiteral("abcde"));
    QCOMPARE(focused(), c.Text14);  // on to the repeat field
    QTest::keyClicks(c.Text14, QStringLiteral("abcdx"));
    FormFixture::leaveTo(c.Text1);
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("Not the same!")});
    QVERIFY(c.Text13->text().isEmpty());
    QVERIFY(c.Text14->text().isEmpty());
    QVERIFY(s.info.Password.isEmpty());
    QCOMPARE(focused(), c.Text13);

    f.boxes->shown.clear();
    QTest::keyClicks(c.Text13, QStringLiteral("abcde"));
    FormFixture::leaveTo(c.Text1);
    QTest::keyClicks(c.Text14, QStringLiteral("abcde"));
    FormFixture::leaveTo(c.Text1);
    QVERIFY(f.boxes->texts().isEmpty());
    QCOMPARE(s.info.Password, QStringLiteral("abcde"));
}

void TstFieldChecks::nameRules()
{
    FormFixture f;
    QVERIFY(f.load(QDateTime(QDate(2024, 3, 12), QTime(10, 0))));
    f.showActive();
    FormControls& c = f.c();
    // A registered account locks the names; this test edits them.
    c.txtFirstName->setEnabled(true);
    c.txtLastName->setEnabled(true);

    FormFixture::typeInto(c.txtFirstName, QStringLiteral("  mary ann "));
    FormFixture::leaveTo(c.txtTown);
    QCOMPARE(c.txtFirstName->text(), QStringLiteral("Mary ann"));
    QVERIFY(f.boxes->texts().isEmpty());

    FormFixture::typeInto(c.txtLastName, QStringLiteral("van Dyke"));
    FormFixture::leaveTo(c.txtTown);
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("No Blanks permitted!")});
    QCOMPARE(c.txtLastName->text(), QStringLiteral("Van Dyke"));
    QCOMPARE(focused(), c.txtLastName);
    QCOMPARE(f.form().state().currentPage, 5);

    f.boxes->shown.clear();
    c.txtLastName->setText(QStringLiteral("o'brien"));
    FormFixture::leaveTo(c.txtTown);
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("Must be a to z and 0 to 9 !")});

    f.boxes->shown.clear();
    c.txtLastName->setText(QStringLiteral("Obrien"));
    c.txtFirstName->setText(QStringLiteral("Zoë"));
    FormFixture::typeInto(c.txtFirstName, QString());
    FormFixture::leaveTo(c.txtTown);
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("Must be a to z and 0 to 9, blanks OK!")});

    // The address group arms the account button; the street keeps Enter.
    c.txtFirstName->setText(QStringLiteral("Zoe"));
    QVERIFY(c.Command6->isEnabled());
    FormFixture::typeInto(c.txtStreet, QString());
    QVERIFY(!c.Command1->isDefault());
    FormFixture::leaveTo(c.txtTown);
    QVERIFY(c.Command1->isDefault());
}

void TstFieldChecks::profileFieldTakesTheNameOnDisk()
{
    FormFixture f;
    QVERIFY(f.load());
    f.showActive();
    FormControls& c = f.c();
    c.Text16->setText(QStringLiteral("TORVEX"));
    FormFixture::typeInto(c.Text16, QString());
    FormFixture::leaveTo(c.Text1);
    QVERIFY(f.boxes->texts().isEmpty());
    QCOMPARE(c.Text16->text(), QStringLiteral("Torvex"));
    QCOMPARE(f.form().state().info.gTorvexProfile, QStringLiteral("Torvex"));

    c.Text16->setText(QStringLiteral("Nowhere"));
    FormFixture::typeInto(c.Text16, QString());
    FormFixture::leaveTo(c.Text1);
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("Could not find that profile!")});
    QCOMPARE(focused(), c.Text16);
    QCOMPARE(f.form().state().info.gTorvexProfile, QStringLiteral("Torvex"));
}

void TstFieldChecks::regularFaxIntervalBounds()
{
    FormFixture f;
    QVERIFY(f.load());
    f.showActive();
    FormControls& c = f.c();
    c.Text22->clear();
    FormFixture::typeInto(c.Text22, QString());
    FormFixture::leaveTo(c.Check6);
    QCOMPARE(c.Text22->text(), QStringLiteral("0"));
    QCOMPARE(f.boxes->texts(), QStringList{QStringLiteral("Invalid Entry, must be between 1 and 99")});
    QCOMPARE(focused(), c.Text22);

    c.Text22->setText(QStringLiteral("30"));
    FormFixture::leaveTo(c.Check6);
    QCOMPARE(f.form().state().gRegularFaxInterval, 30);
}

QTEST_MAIN(TstFieldChecks)
#include "tst_field_checks.moc"
