#include "scheduler/launch/print_launcher.h"
#include "scheduler/schedule/schedule_engine.h"
#include "tests/scheduler/account/account_fixture.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <memory>

using namespace torvex;
using namespace torvex::test;

// The service account in the scheduler: loading the profile, the account
// button, and the member-status steps of start-up and retrieval.
class TestAccountWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<ServiceFixture> f;

    // A Relay member (the service says Brisko and Relay) whose last status
    // check lies daysAgo back (none if negative), with a print utility that
    // notes its runs.
    bool load(int daysAgo, bool registered = true, const QString& password = QStringLiteral("secret1"),
              const QMap<QString, QString>& extra = {})
    {
        QMap<QString, QString> s = registeredSettings();
        s.insert(QStringLiteral("Use_Defaults"), QStringLiteral("3"));
        s.insert(QStringLiteral("print_exe"), QStringLiteral("fakeprint"));
        s.insert(QStringLiteral("general_timout"), QStringLiteral("0"));
        s.insert(QStringLiteral("Password"), password);
        if (!registered)
            s.remove(QStringLiteral("Account_Date_Stamp"));
        if (daysAgo >= 0)
            s.insert(QStringLiteral("Profile_Last_Change"), formatSystemDate(kLoadTime.date().addDays(-daysAgo)));
        s.insert(extra);
        return load(s);
    }
    bool load(const QMap<QString, QString>& settings)
    {
        f = std::make_unique<ServiceFixture>(settings);
        f->sim.writeAccounts(R"({"4420712345": {"password": "secret1", "firstname": "John",
                                 "lastname": "Smith", "groups": "Brisko, Relay"}})");
        f->installUtility(QStringLiteral("fakeprint"));
        return f->sim.isRunning() && f->load();
    }

    // The address field's check enables the button once the user has been
    // through it; the tests start from there.
    void clickAccountButton() const
    {
        f->view.setEnabled(Control::Command6, true);
        f->view.click(Control::Command6);
    }

    [[nodiscard]] QStringList actions() const { return f->actions(); }
    [[nodiscard]] QString storedPassword() const
    {
        return QJsonDocument::fromJson(f->sim.accounts())[QStringLiteral("4420712345")].toObject().value(QLatin1String("password")).toString();
    }
    [[nodiscard]] QStringList texts() const { return f->boxes->texts(); }

private Q_SLOTS:
    // A followed run is five polls of 100 ms.
    void initTestCase() { qputenv("TORVEX_TIME_SCALE", "100"); }

    void cleanup() { f.reset(); }

    void startUpAccountSteps_data()
    {
        QTest::addColumn<int>("daysAgo");  // since the last status check, none if negative
        QTest::addColumn<bool>("registered");
        QTest::addColumn<bool>("addressChanged");
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QString>("title");  // "as built": the steps did not run
        const QStringList checked{QStringLiteral("showdb"), QStringLiteral("changeuser")};
        QTest::newRow("31 days") << 31 << true << false << checked << " Brisko+Relay ";
        QTest::newRow("30 days") << 30 << true << false << QStringList() << " Relay ";
        QTest::newRow("address changed") << 1 << true << true << QStringList{"changeuser"} << " Relay ";
        QTest::newRow("unregistered") << 100 << false << false << QStringList() << "as built";
        QTest::newRow("no status date") << -1 << true << false << QStringList() << "as built";
    }

    void startUpAccountSteps()
    {
        QFETCH(int, daysAgo);
        QFETCH(bool, registered);
        QFETCH(bool, addressChanged);
        QFETCH(QStringList, actions);
        QFETCH(QString, title);
        QVERIFY(load(daysAgo, registered));
        // Loading showed the stored profile and asked the service nothing.
        QCOMPARE(f->view.text(Control::txtStreet), QStringLiteral("1 High St"));
        QCOMPARE(f->key(QStringLiteral("VX_IP_Address")), f->sim.address());
        QVERIFY(f->sim.requests().isEmpty());
        f->view.setText(Control::Label50, QStringLiteral("as built"));
        f->core().state().gflgSendIPAddressUpdate = addressChanged;
        f->core().runStartupAccountSteps();
        QCOMPARE(this->actions(), actions);
        QCOMPARE(f->view.text(Control::Label50), title);
        QVERIFY(f->boxes->shown.empty());
        if (actions.contains(QLatin1String("changeuser")))
            QCOMPARE(f->key(QStringLiteral("Public_IP_Addr")), f->core().state().gLocalIPAddr);
        if (daysAgo != 31)
            return;
        QCOMPARE(f->core().state().info.gMemberStatus, QStringLiteral("5"));
        QCOMPARE(f->key(QStringLiteral("Use_Defaults")), QStringLiteral("5"));
        QCOMPARE(f->key(QStringLiteral("Profile_Last_Change")), formatSystemDate(kLoadTime.date()));
        QVERIFY(f->view.isEnabled(Control::Check15));
        QVERIFY(f->view.isEnabled(Control::Check16));
        // The report carries the network card's address for a Brisko member.
        QVERIFY(f->sim.requests().last().contains(QLatin1String("&fax=") + f->view.text(Control::Text21) + QLatin1Char('&')));
    }

    void aRetrievalChecksTheStatusAfterThirtyDaysThenReports_data()
    {
        QTest::addColumn<int>("daysAgo");
        QTest::newRow("30 days") << 30;
        QTest::newRow("31 days") << 31;
    }

    void aRetrievalChecksTheStatusAfterThirtyDaysThenReports()
    {
        QFETCH(int, daysAgo);
        QVERIFY(load(daysAgo));
        f->core().launcher().shellIt(QStringLiteral("0"));
        if (daysAgo == 30) {
            QCOMPARE(actions(), QStringList{QStringLiteral("changeuser")});
        } else {
            QCOMPARE(actions(), (QStringList{QStringLiteral("showdb"), QStringLiteral("changeuser")}));
            QCOMPARE(f->key(QStringLiteral("Profile_Last_Change")), formatSystemDate(kLoadTime.date()));
            QCOMPARE(f->view.text(Control::Label50), QStringLiteral(" Brisko+Relay "));
        }
        // Brisko runs never ask.
        const qsizetype asked = f->sim.requests().size();
        f->core().launcher().shellIt(QStringLiteral("6"));
        QCOMPARE(f->sim.requests().size(), asked);
    }

    // The schedule's retrieval with the password not saved: the address
    // report cannot go out and says so where a user finds it later, and
    // the retrieval runs; no box waits for anyone.
    void aScheduledRetrievalWaitsOnNoBox()
    {
        QVERIFY(load(30, true, QString(),
                     {{QStringLiteral("Save_Pass"), QStringLiteral("0")}, {QStringLiteral("Cycle_Minutes"), QStringLiteral("1")}}));
        f->view.switchFrame(5);
        f->core().schedule().Timer1_Timer();
        QTRY_COMPARE(f->launches(), QStringList{QStringLiteral("/0")});
        QVERIFY2(f->boxes->shown.empty(), qPrintable(texts().join(QLatin1Char('|'))));
        QVERIFY(f->sim.requests().isEmpty());
        const QString lineState = f->view.text(Control::txtStatus);
        QVERIFY2(lineState.contains(f->core().statusBar().myDateTime() + QStringLiteral("  Missing Password, please retry!")),
                 qPrintable(lineState));
        QCOMPARE(f->view.tab, 5);  // not moved to the password
    }

    void theAccountButtonRegistersANewAccount_data()
    {
        QTest::addColumn<bool>("firstRun");
        QTest::addColumn<QString>("password");
        QTest::newRow("first run") << true << "secret1";
        for (const char* password : {"ab#cd1", "ab&cd=1", "p@ss:w/rd", "x%41yz1", "plus+1 2", "it's%%"})
            QTest::newRow(password) << false << QString::fromLatin1(password);
    }

    // Registered, the user can retrieve at once: "&Get TORVEXes NOW" and the
    // schedule work without a restart, also after a first start. Registered,
    // updated and asked for its groups: the service takes the password as
    // typed every time, and support never reads it.
    void theAccountButtonRegistersANewAccount()
    {
        QFETCH(bool, firstRun);
        QFETCH(QString, password);
        if (firstRun) {
            QVERIFY(load({{QStringLiteral("Password"), password}}));
            f->boxes->shown.clear();  // the help question
            f->view.type(Control::txtVXAddress, QStringLiteral("4420712345@torvex.net"));
            f->view.moveFocus(Control::Text1);
        } else {
            QVERIFY(load(1, false, password));
        }
        f->sim.writeAccounts("{}");
        QVERIFY(!f->view.isEnabled(Control::Command4));
        QCOMPARE(f->core().Timer1().isActive(), !firstRun);
        f->view.tick(Control::Option2, true);
        QCOMPARE(f->view.text(Control::Command6), QStringLiteral("&Set Up Address"));
        clickAccountButton();
        QCOMPARE(actions(), QStringList{QStringLiteral("adduser")});
        QVERIFY(f->sim.requests().last().endsWith(QLatin1String("user=-")));
        QCOMPARE(storedPassword(), password);
        QVERIFY(f->view.isEnabled(Control::Command4));
        QVERIFY(f->core().Timer1().isActive());

        clickAccountButton();
        QVERIFY(f->sim.requests().last().endsWith(QLatin1String("user=4420712345")));
        QCOMPARE(storedPassword(), password);
        // Accepted: the address is now the reported one.
        QCOMPARE(f->key(QStringLiteral("Public_IP_Addr")), f->core().state().gLocalIPAddr);
        QVERIFY(f->account().member.CheckMemberStatus());
        QCOMPARE(f->core().state().info.gMemberStatus, QStringLiteral("2"));
        QCOMPARE(actions(), (QStringList{QStringLiteral("adduser"), QStringLiteral("changeuser"), QStringLiteral("showdb")}));

        QVERIFY(f->sim.setMode(QStringLiteral("error")));
        clickAccountButton();
        const QString kept = f->accountKey(QStringLiteral("HTTP"), QStringLiteral("Request"));
        QVERIFY2(kept.startsWith(QLatin1String("//4420712345:********@")), qPrintable(kept));
        QVERIFY(kept.contains(QLatin1String("&password1=********&password2=********&")));
        QVERIFY(!kept.contains(password));
    }

    // A double-click on the relay group: the status afresh from the
    // service once the password fields agree.
    void relayFrameDoubleClickRefreshesMemberStatus()
    {
        QVERIFY(load(registeredSettings()));
        f->sim.writeAccounts(R"({"4420712345": {"password": "secret1", "groups": "Members, Relay"}})");
        f->view.switchFrame(7);
        f->view.setText(Control::Text14, QStringLiteral("other"));
        f->view.doubleClickRelayGroup();
        QCOMPARE(texts(), QStringList{QStringLiteral("Password error!")});
        QCOMPARE(f->view.tab, 1);
        QCOMPARE(f->view.focused, Control::Text13);
        QVERIFY(f->sim.requests().isEmpty());

        // A new status switches the relay on.
        f->view.setText(Control::Text14, f->view.text(Control::Text13));
        QVERIFY(!f->view.isEnabled(Control::Check15));
        f->view.doubleClickRelayGroup();
        QCOMPARE(actions().count(QStringLiteral("showdb")), 1);
        QCOMPARE(f->key(QStringLiteral("Use_Defaults")), QStringLiteral("3"));
        QVERIFY(f->view.isEnabled(Control::Check15));
        QCOMPARE(f->view.text(Control::Label50), QStringLiteral(" Relay "));
    }

    void theAccountButtonWantsAConnectionType()
    {
        QVERIFY(load(1));
        // Neither option selected, as on a first start.
        f->view.setChecked(Control::Option1, false);
        f->view.setChecked(Control::Option2, false);
        clickAccountButton();
        QVERIFY(f->sim.requests().isEmpty());
        QCOMPARE(texts(), QStringList{QStringLiteral("Please select 'Modem' or 'Network'.")});
    }

};

QTEST_GUILESS_MAIN(TestAccountWindow)
#include "tst_account_window.moc"
