#include "scheduler/account/http_client.h"
#include "tests/scheduler/account/sim_process.h"
#include "tests/support/test_certificates.h"
#include "scheduler/account/ip_lookup.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QNetworkInterface>
#include <QtTest>

using namespace torvex;

// GetURL against the service simulator on loopback and against replies no
// web server sends, and host look-ups with the local address.
class TestHttpClient : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The target goes out as given, the scheme prefixed: the escaped "%%"
    // and a "%" that starts no escape as "%25" each, the other escapes alone
    // (the account requests' exact targets are the protocol test's).
    void theTargetGoesOutAsGiven()
    {
        test::SimProcess sim;
        QVERIFY(sim.setNextReply(QStringLiteral("<title>OK</title>")));
        const HttpResult r = HttpClient().GetURL(QStringLiteral("//") + sim.address() + QStringLiteral("/bbs?a=50%%&b=%20x%2B&c=%&d=x%%41"));
        QCOMPARE(r.gHTTPError, 0);
        QCOMPARE(r.gResponse, QStringLiteral("<title>OK</title>"));
        QCOMPARE(sim.requests(), QStringList{QStringLiteral("/bbs?a=50%25%25&b=%20x%2B&c=%25&d=x%25%2541 user=-")});
    }

    // Replies no web server sends, from a server scripted here: each is an
    // error, never a document.
    void brokenReplies_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("error");
        QTest::newRow("not HTTP") << QByteArray("SSH-2.0-OpenSSH\r\n\r\n") << int(inet_error::InvalidServerResponse);
        QTest::newRow("head cut off") << QByteArray("HTTP/1.1 200 OK\r\nContent-") << int(inet_error::InvalidServerResponse);
        QTest::newRow("body cut off") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n<title>")
                                      << int(inet_error::ConnectionReset);
        QTest::newRow("endless") << "HTTP/1.0 200 OK\r\n\r\n" + QByteArray(kMaxReplyBytes + 1, 'x')
                                 << int(inet_error::InvalidServerResponse);
    }

    void brokenReplies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, error);
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        connect(&server, &QTcpServer::newConnection, this, [&] {
            QTcpSocket* socket = server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [socket, reply] {
                socket->readAll();
                socket->write(reply);
                socket->disconnectFromHost();
            });
        });
        const HttpResult r = HttpClient().GetURL(QStringLiteral("//127.0.0.1:%1/bbs?action=showdb").arg(server.serverPort()));
        QCOMPARE(r.gHTTPError, error);
        QVERIFY(r.gResponse.isEmpty());
    }

    void aMalformedUrl()
    {
        QCOMPARE(HttpClient().GetURL(QStringLiteral("//127.0.0.1:99999999/bbs")).gHTTPError, inet_error::UrlMalformed);
    }

    // The simulator by https: the request goes out only over a connection
    // whose certificate holds for the host; every other ends in its number.
    void https_data()
    {
        QTest::addColumn<QString>("certificate");  // the simulator's
        QTest::addColumn<QString>("trusted");      // ca, server (that certificate alone) or none
        QTest::addColumn<int>("error");
        QTest::newRow("trusted CA") << "server" << "ca" << 0;
        QTest::newRow("trusted server certificate") << "server" << "server" << 0;
        QTest::newRow("system CAs only") << "server" << "none" << int(inet_error::CertificateUnknownIssuer);
        QTest::newRow("expired") << "expired" << "ca" << int(inet_error::CertificateExpired);
        QTest::newRow("another host") << "other-host" << "ca" << int(inet_error::CertificateWrongHost);
        QTest::newRow("unknown CA") << "unknown-issuer" << "ca" << int(inet_error::CertificateUnknownIssuer);
    }
    void https()
    {
        QFETCH(QString, certificate);
        QFETCH(QString, trusted);
        QFETCH(int, error);
        static const test::TestCertificates certificates;
        QVERIFY(certificates.ok());
        const test::TestCertificates::Pair pair = certificates.pair(certificate);
        test::SimProcess sim({QStringLiteral("--tls-cert"), pair.cert, QStringLiteral("--tls-key"), pair.key});
        QVERIFY(sim.isRunning());
        sim.writeAccounts(R"({"5551234": {"password": "s3cret", "groups": "Members"}})");
        HttpClient http;
        http.setHttps(true, trusted == QLatin1String("ca")       ? certificates.caFile()
                            : trusted == QLatin1String("server") ? certificates.server().cert
                                                                 : QString());
        const HttpResult r = http.GetURL(
            QStringLiteral("//") + sim.address() + QStringLiteral("/bbs?action=showdb&what=users&name=5551234"),
            {QStringLiteral("5551234"), QStringLiteral("s3cret")});
        QCOMPARE(r.gHTTPError, error);
        QVERIFY(!GetInetErrorMessage(r.gHTTPError).isEmpty() || error == 0);
        if (error == 0) {
            QVERIFY(r.gResponse.contains(QLatin1String("<title>showdb_ok</title>")));
            QCOMPARE(sim.requests(),
                     QStringList{QStringLiteral("/bbs?action=showdb&what=users&name=5551234 user=5551234")});
        } else {
            QVERIFY(sim.requests().isEmpty());  // the credentials never went out
        }
    }

    // A stalled request ends in the time-out. The window's timers keep
    // running meanwhile, and one firing inside the wait starts no second
    // request; the next request works once the server answers.
    void aStalledRequest()
    {
        test::SimProcess sim({QStringLiteral("--mode"), QStringLiteral("stall")});
        const QString server = QStringLiteral("//") + sim.address();
        HttpClient http;
        http.setRequestTimeoutMs(700);
        int ticks = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, this, [&] { ++ticks; });
        tick.start(50);
        qint32 innerError = 0;
        QTimer::singleShot(100, this, [&] { innerError = http.GetURL(server + QStringLiteral("/bbs?action=inner")).gHTTPError; });
        QElapsedTimer clock;
        clock.start();
        const HttpResult r = http.GetURL(server + QStringLiteral("/bbs?action=outer"));
        QCOMPARE(r.gHTTPError, inet_error::RequestTimedOut);
        QVERIFY(r.gResponse.isEmpty());
        QVERIFY(clock.elapsed() >= 600);
        QVERIFY(ticks >= 5);
        QCOMPARE(innerError, inet_error::StillExecuting);
        QCOMPARE(sim.requests().size(), 1);

        QVERIFY(sim.setMode(QStringLiteral("normal")));
        QVERIFY(sim.setNextReply(QStringLiteral("<title>OK</title>")));
        QCOMPARE(http.GetURL(server + QStringLiteral("/bbs?action=adduser")).gHTTPError, 0);
    }

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
        const auto holdsIt = [&local](const QNetworkInterface& iface) {
            return iface.flags().testFlag(QNetworkInterface::IsUp) && !iface.flags().testFlag(QNetworkInterface::IsLoopBack)
                   && std::ranges::any_of(iface.addressEntries(), [&local](const QNetworkAddressEntry& entry) {
                          return entry.ip().toString() == local;
                      });
        };
        QVERIFY2(std::ranges::any_of(QNetworkInterface::allInterfaces(), holdsIt), qPrintable(local));
    }

};

QTEST_GUILESS_MAIN(TestHttpClient)
#include "tst_http_client.moc"
