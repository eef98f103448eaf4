#include "scheduler/account/ip_lookup.h"

#include <QNetworkInterface>
#include <QtTest>

using namespace torvex;

// Host look-ups and the local address.
class TestIpLookup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A look-up leaves the active interface's address as the local one;
    // addresses come back unchanged without one, and a failed look-up
    // leaves the local address as it was.
    void lookUps_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("address");
        QTest::newRow("dotted") << "10.0.0.5" << "10.0.0.5";
        QTest::newRow("digits and dashes") << "12-34" << "12-34";
        QTest::newRow("a name") << "localhost" << "127.0.0.1";
        QTest::newRow("unresolvable") << "no-such-host.invalid" << "";
    }
    void lookUps()
    {
        QFETCH(QString, host);
        QFETCH(QString, address);
        QString local = QStringLiteral("10.9.9.9");
        IpLookup lookup(local);
        QCOMPARE(lookup.ResolveIPAddress(host), address);
        QCOMPARE(local, address.isEmpty() ? QStringLiteral("10.9.9.9") : activeInterfaceAddress());
        if (!host.front().isDigit())
            QCOMPARE(GetIPAddressfromDomain(lookup, host.toUpper()), address);
    }

    void theLocalAddressBelongsToAnInterfaceThatIsUp()
    {
        QString local = QStringLiteral("before");
        IpLookup lookup(local);
        lookup.CreateSocket();
        if (local.isEmpty())
            QSKIP("no interface besides loopback is up here");
        bool found = false;
        for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces()) {
            if (!iface.flags().testFlag(QNetworkInterface::IsUp) || iface.flags().testFlag(QNetworkInterface::IsLoopBack))
                continue;
            for (const QNetworkAddressEntry& entry : iface.addressEntries())
                found = found || entry.ip().toString() == local;
        }
        QVERIFY2(found, qPrintable(local));
    }
};

QTEST_GUILESS_MAIN(TestIpLookup)
#include "tst_ip_lookup.moc"
