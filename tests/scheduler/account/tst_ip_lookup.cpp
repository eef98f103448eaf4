#include "scheduler/account/ip_lookup.h"

#include <QNetworkInterface>
#include <QtTest>

using namespace torvex;

// Host look-ups, the dotted-address rule and the local address.
class TestIpLookup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dottedAddressRule()
    {
        QVERIFY(isDottedAddress(QStringLiteral("10.0.0.5")));
        QVERIFY(isDottedAddress(QStringLiteral("12-34")));
        QVERIFY(isDottedAddress(QString()));
        QVERIFY(!isDottedAddress(QStringLiteral("a.b")));
        QVERIFY(!isDottedAddress(QStringLiteral("127.0.0.1:8080")));  // ":" comes after "9"
    }

    void addressesComeBackUnchangedWithoutALookUp()
    {
        QString local = QStringLiteral("before");
        IpLookup lookup(local);
        QCOMPARE(lookup.ResolveIPAddress(QStringLiteral("10.0.0.5")), QStringLiteral("10.0.0.5"));
        QCOMPARE(lookup.ResolveIPAddress(QStringLiteral("12-34")), QStringLiteral("12-34"));
        QCOMPARE(local, activeInterfaceAddress());
    }

    void namesAreLookedUp()
    {
        QString local = QStringLiteral("before");
        IpLookup lookup(local);
        QCOMPARE(lookup.ResolveIPAddress(QStringLiteral("localhost")), QStringLiteral("127.0.0.1"));
        QCOMPARE(local, activeInterfaceAddress());
        QCOMPARE(GetIPAddressfromDomain(lookup, QStringLiteral("LOCALHOST")), QStringLiteral("127.0.0.1"));
    }

    void anUnresolvableNameLeavesTheLocalAddress()
    {
        QString local = QStringLiteral("10.9.9.9");
        IpLookup lookup(local);
        QCOMPARE(lookup.ResolveIPAddress(QStringLiteral("no-such-host.invalid")), QString());
        QCOMPARE(local, QStringLiteral("10.9.9.9"));
        QCOMPARE(GetIPAddressfromDomain(lookup, QStringLiteral("no-such-host.invalid")), QString());
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
