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

    void otherTiersReportAnEmptyAddressEveryTime()
    {
        f->info.gMemberStatus = QStringLiteral("3");
        f->account.reporting.UpdatedbLocalIPAddress();
        QCOMPARE(f->sched.gLocalIPAddr, QStringLiteral("0"));
        QCOMPARE(f->sim.requests().size(), 1);
        QVERIFY(f->lastRequest().startsWith(QLatin1String("/bbs?action=changeuser&login=5551234&")));
        QCOMPARE(faxOfLastRequest(), QStringLiteral("%20"));
        QCOMPARE(f->setting(QStringLiteral("Public_IP_Addr")), QStringLiteral("0"));
        QVERIFY(f->boxes.shown.empty());

        f->account.reporting.UpdatedbLocalIPAddress();
        QCOMPARE(f->sim.requests().size(), 2);
    }

    void briskoReportsTheConnectionsAddressOnce()
    {
        f->info.gMemberStatus = QStringLiteral("4");
        f->info.Modem_Connect = true;
        f->view.setChecked(Control::Option2, false);
        f->view.setChecked(Control::Option1, true);
        f->account.reporting.UpdatedbLocalIPAddress();
        QCOMPARE(f->sched.gLocalIPAddr, QStringLiteral("10.2.2.2"));
        QCOMPARE(faxOfLastRequest(), QStringLiteral("10.2.2.2"));
        QCOMPARE(f->setting(QStringLiteral("Public_IP_Addr")), QStringLiteral("10.2.2.2"));
        QVERIFY(f->sim.accounts().contains("\"fax\": \"10.2.2.2\""));

        // The same address again in this run: no request.
        f->account.reporting.UpdatedbLocalIPAddress();
        QCOMPARE(f->sim.requests().size(), 1);

        // A new address is reported.
        f->view.setText(Control::Text8, QStringLiteral("10.3.3.3"));
        f->account.reporting.UpdatedbLocalIPAddress();
        QCOMPARE(f->sim.requests().size(), 2);
        QCOMPARE(faxOfLastRequest(), QStringLiteral("10.3.3.3"));
    }

    void theNetworkCardsAddressWithoutTheModem()
    {
        f->info.gMemberStatus = QStringLiteral("5");
        f->account.reporting.UpdatedbLocalIPAddress();
        QCOMPARE(faxOfLastRequest(), QStringLiteral("10.1.1.1"));
        QCOMPARE(f->setting(QStringLiteral("Public_IP_Addr")), QStringLiteral("10.1.1.1"));
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
