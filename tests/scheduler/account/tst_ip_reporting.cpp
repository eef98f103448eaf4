#include "tests/scheduler/account/account_fixture.h"

#include <QtTest>

#include <memory>

using namespace torvex;
using test::AccountFixture;

// Address reports to the service: real addresses for Brisko members, an
// empty one for the other tiers, only when the address changed.
class TestIpReporting : public QObject {
    Q_OBJECT

    std::unique_ptr<AccountFixture> f;

    [[nodiscard]] QString faxOfLastRequest() const
    {
        const QString request = f->lastRequest();
        const qsizetype at = request.indexOf(QLatin1String("&fax="));
        return at < 0 ? QStringLiteral("<no request>") : request.mid(at + 5, request.indexOf(QLatin1Char('&'), at + 1) - at - 5);
    }

private Q_SLOTS:
    void init()
    {
        f = std::make_unique<AccountFixture>();
        QVERIFY(f->sim.isRunning());
        f->info.gACDateStamp = QStringLiteral("01/01/2026");
        f->view.setText(Control::Text21, QStringLiteral("10.1.1.1"));
        f->view.setText(Control::Text8, QStringLiteral("10.2.2.2"));
    }
    void cleanup() { f.reset(); }

    void reportsTheAddressOfTheTier_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("modem");
        QTest::addColumn<QString>("address");  // reported and kept
        QTest::addColumn<int>("again");        // requests after a second report of the same address
        QTest::newRow("other tiers: empty, every time") << "3" << false << "0" << 2;
        QTest::newRow("brisko by modem: the connection's, once") << "4" << true << "10.2.2.2" << 1;
        QTest::newRow("brisko relay: the network card's") << "5" << false << "10.1.1.1" << 1;
    }
    void reportsTheAddressOfTheTier()
    {
        QFETCH(QString, status);
        QFETCH(bool, modem);
        QFETCH(QString, address);
        QFETCH(int, again);
        f->info.gMemberStatus = status;
        if (modem) {
            f->info.Modem_Connect = true;
            f->view.setChecked(Control::Option2, false);
            f->view.setChecked(Control::Option1, true);
        }
        f->account.reporting.UpdatedbLocalIPAddress();
        QCOMPARE(f->sched.gLocalIPAddr, address);
        QCOMPARE(f->sim.requests().size(), 1);
        QVERIFY(f->lastRequest().startsWith(QLatin1String("/bbs?action=changeuser&login=5551234&")));
        QCOMPARE(faxOfLastRequest(), address == QLatin1String("0") ? QStringLiteral("%20") : address);
        QCOMPARE(f->setting(QStringLiteral("Public_IP_Addr")), address);
        QVERIFY(f->boxes.shown.empty());
        f->account.reporting.UpdatedbLocalIPAddress();
        QCOMPARE(f->sim.requests().size(), again);
        if (!modem)
            return;
        QVERIFY(f->sim.accounts().contains("\"fax\": \"10.2.2.2\""));
        // A new address is reported.
        f->view.setText(Control::Text8, QStringLiteral("10.3.3.3"));
        f->account.reporting.UpdatedbLocalIPAddress();
        QCOMPARE(f->sim.requests().size(), 2);
        QCOMPARE(faxOfLastRequest(), QStringLiteral("10.3.3.3"));
    }

    void aRejectedReportIsNotSavedAndIsTriedAgain()
    {
        f->info.gMemberStatus = QStringLiteral("4");
        f->info.Password = QStringLiteral("wrong");
        f->account.reporting.UpdatedbLocalIPAddress();
        QCOMPARE(f->setting(QStringLiteral("Public_IP_Addr")), QStringLiteral("<none>"));
        QVERIFY(f->boxes.shown.empty());
        QVERIFY(f->accountKey(QStringLiteral("HTTP"), QStringLiteral("Request")).contains(QLatin1String("changeuser")));
        f->account.reporting.UpdatedbLocalIPAddress();
        QCOMPARE(f->sim.requests().size(), 2);
    }

    void behindAFirewallTheEmptyAddressIsSaved()
    {
        f->info.gMemberStatus = QStringLiteral("5");
        f->info.gPubIPAddr = QStringLiteral("10.1.1.1");
        f->view.setChecked(Control::Check1, true);
        f->sched.gLocalIPAddr = QStringLiteral("10.1.1.1");
        f->account.reporting.updateLocalIPAddress();
        QCOMPARE(f->sim.requests().size(), 1);
        QCOMPARE(faxOfLastRequest(), QStringLiteral("10.1.1.1"));  // the page's address goes out
        QCOMPARE(f->setting(QStringLiteral("Public_IP_Addr")), QString());

        // Already empty: nothing to report.
        f->account.reporting.updateLocalIPAddress();
        QCOMPARE(f->sim.requests().size(), 1);
    }

    void withoutAFirewallAChangedAddressIsReported()
    {
        f->info.gMemberStatus = QStringLiteral("4");
        f->info.gPubIPAddr = QStringLiteral("10.9.9.9");
        f->sched.gLocalIPAddr = QStringLiteral("10.1.1.1");
        f->account.reporting.updateLocalIPAddress();
        QCOMPARE(faxOfLastRequest(), QStringLiteral("10.1.1.1"));
        QCOMPARE(f->setting(QStringLiteral("Public_IP_Addr")), QStringLiteral("10.1.1.1"));
        f->account.reporting.updateLocalIPAddress();
        QCOMPARE(f->sim.requests().size(), 1);
    }

    void onlyBriskoMembersOfARegisteredAccountReportOnAChange()
    {
        f->sched.gLocalIPAddr = QStringLiteral("10.1.1.1");
        f->info.gMemberStatus = QStringLiteral("3");
        f->account.reporting.updateLocalIPAddress();
        f->info.gMemberStatus = QStringLiteral("4");
        f->info.gACDateStamp.clear();
        f->account.reporting.updateLocalIPAddress();
        QVERIFY(f->sim.requests().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestIpReporting)
#include "tst_ip_reporting.moc"
