// Dial-up on the real window against a stand-in nmcli on PATH.
#include "scheduler/connection/dialup_connection.h"
#include "scheduler/account/ip_lookup.h"
#include "tests/scheduler/support/scheduler_fixture.h"
#include "tests/support/fake_nmcli.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

using namespace torvex;
using namespace torvex::test;

namespace {

// 60-second periods of 1 s, a settling wait of 333 ms.
constexpr int kPeriodMs = 1000;

// No line monitor in these tests (a base member).
QMap<QString, QString> modemSettings()
{
    return registeredSettings({{"Modem_Connect", "y"}, {"DUN_Name", "ISP"}, {"modem_devices", "none"},
                               {"Use_Defaults", "1"}, {"dialup_lookup_host", "127.0.0.1"}});
}

}  // namespace

class TestDialUpConnection : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qputenv("TORVEX_TIME_SCALE", "60"); }

    void init()
    {
        nmcli_ = std::make_unique<FakeNmcli>();
        nmcli_->setProfiles({QStringLiteral("Wired connection 1"), QStringLiteral("ISP"),
                             QStringLiteral("Night rate")});
        nmcli_->setActive(QStringLiteral("Wired connection 1"), QStringLiteral("activated"));
    }
    void cleanup()
    {
        f_.reset();
        nmcli_.reset();
    }

    // Loading lists the profiles and shows the link; a link already up is
    // used as it is; another entry chosen shows its own state.
    void linkAlreadyUpIsUsedAsItIs()
    {
        nmcli_->setActive(QStringLiteral("ISP"), QStringLiteral("activated"));
        QVERIFY(load());
        QCOMPARE(f_->view.entries(Control::Combo1), (QStringList{QStringLiteral("Wired connection 1"), QStringLiteral("ISP"),
                                                                 QStringLiteral("Night rate")}));
        QCOMPARE(f_->view.text(Control::Combo1), QStringLiteral("ISP"));
        QVERIFY(f_->view.isChecked(Control::Check12));
        QCOMPARE(f_->view.text(Control::Text18), QStringLiteral("Connected"));
        f_->view.setText(Control::Text8, QStringLiteral("10.9.9.9"));
        f_->core().state().gLocalIPAddr = QStringLiteral("10.9.9.9");
        const QString bar = f_->statusText();
        const QString box = f_->view.text(Control::txtStatus);
        QVERIFY(f_->core().dialUp().IsDialUpConnected());
        QCOMPARE(f_->statusText(), bar);
        QCOMPARE(f_->view.text(Control::txtStatus), box);
        QCOMPARE(f_->view.text(Control::Text8), QStringLiteral("10.9.9.9"));
        QCOMPARE(f_->core().state().gLocalIPAddr, QStringLiteral("10.9.9.9"));
        QVERIFY(nmcli_->calls().filter(QStringLiteral("connection up")).isEmpty());

        nmcli_->setActive(QStringLiteral("Night rate"), QStringLiteral("activating"));
        f_->view.setCurrentIndex(Control::Combo1, 2);
        f_->view.click(Control::Combo1);
        QCOMPARE(f_->core().state().info.DUN_Name, QStringLiteral("Night rate"));
        QCOMPARE(f_->core().dialUp().currentEntry(), QStringLiteral("Night rate"));
        QCOMPARE(f_->view.text(Control::Text18), QStringLiteral("Connecting"));
    }

    void linkUpInTheFourthPeriod()
    {
        nmcli_->setUpActivates(false);  // the link comes when the test says so
        QVERIFY(load());
        QTimer::singleShot(int(3.5 * kPeriodMs), [this] {
            nmcli_->setActive(QStringLiteral("ISP"), QStringLiteral("activated"));
        });
        QElapsedTimer clock;
        clock.start();
        QVERIFY(f_->core().dialUp().IsDialUpConnected());
        // Up after three and a half periods, then the settling wait (Qt's
        // coarse timers may fire 5 % early).
        QVERIFY2(clock.elapsed() >= (3500 + 333) * 0.94, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(nmcli_->calls().contains(QStringLiteral("connection up id ISP")));
        QVERIFY(f_->statusText().endsWith(QLatin1String(" Dialling Internet Service Provider")));
        const QStringList lines = f_->view.text(Control::txtStatus).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines, (QStringList{QStringLiteral("Socket Connected "), QStringLiteral("Dial out connection ISP")}));
        // The look-up over the new link leaves its local address behind.
        QCOMPARE(f_->core().state().gLocalIPAddr, activeInterfaceAddress());
        QCOMPARE(f_->view.text(Control::Text8), f_->core().state().gLocalIPAddr);
    }

    void linkNeverUpGivesUpAfterFivePeriods()
    {
        nmcli_->setUpActivates(false);
        QVERIFY(load());
        f_->view.setText(Control::Text8, QStringLiteral("10.9.9.9"));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!f_->core().dialUp().IsDialUpConnected());
        QVERIFY2(clock.elapsed() >= 5 * kPeriodMs * 0.94, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(clock.elapsed() < 8 * kPeriodMs);
        QCOMPARE(f_->view.text(Control::Text8), QStringLiteral("10.9.9.9"));
        // Nothing is hung up.
        QVERIFY(nmcli_->calls().filter(QStringLiteral("connection down")).isEmpty());
    }

    // A hang-up with an address tells the service it has none now; without
    // one it only hangs up.
    void hangUp_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("with an address") << "10.1.2.3";
        QTest::newRow("without one") << "";
    }
    void hangUp()
    {
        QFETCH(QString, address);
        nmcli_->setActive(QStringLiteral("ISP"), QStringLiteral("activated"));
        QVERIFY(load());
        f_->core().account().state().gHTTPOK = true;
        writeTorvexKey(QStringLiteral("Public_IP_Addr"), QStringLiteral("10.1.2.3"));
        f_->core().state().gLocalIPAddr = address;
        f_->view.setText(Control::Text8, QStringLiteral("kept"));
        f_->core().dialUp().DisConnectDialUp();
        QVERIFY(f_->core().state().gLocalIPAddr.isEmpty());
        QCOMPARE(f_->view.text(Control::Text8), address.isEmpty() ? QStringLiteral("kept") : QString());
        QCOMPARE(f_->key(QStringLiteral("Public_IP_Addr")), address.isEmpty() ? QStringLiteral("10.1.2.3") : QString());
        QVERIFY(!f_->view.isChecked(Control::Check12));
        QTRY_VERIFY(nmcli_->calls().contains(QStringLiteral("connection down id ISP")));
        QTRY_VERIFY(f_->view.text(Control::txtStatus).startsWith(QLatin1String("Socket Disconnected\n")));
        QVERIFY(!f_->core().dialUp().connected());
    }

private:
    bool load(const QMap<QString, QString>& settings = modemSettings())
    {
        f_ = std::make_unique<LineFixture>(settings);
        return f_->load();
    }

    std::unique_ptr<FakeNmcli> nmcli_;
    std::unique_ptr<LineFixture> f_;
};

QTEST_GUILESS_MAIN(TestDialUpConnection)
#include "tst_dialup_connection.moc"
