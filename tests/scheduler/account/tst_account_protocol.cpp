#include "tests/scheduler/account/account_fixture.h"
#include "scheduler/launch/print_launcher.h"
#include "scheduler/schedule/schedule_engine.h"
#include "scheduler/account/account_escape.h"
#include "tests/support/test_certificates.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrlQuery>
#include <QtTest>

#include <memory>

using namespace torvex;
using namespace torvex::test;

namespace {

// The line break in the texts of the account's boxes.
const QString kBoxLineBreak = QStringLiteral("\r\n");
const QString kTitle = QStringLiteral("TORVEX Print Scheduler");

QString page(const QString& title, const QString& header, const QString& body)
{
    return QStringLiteral("<html><head><title>%1</title></head><body><h1>%2</h1>%3<p></body></html>")
        .arg(title, header, body);
}

// The query every request of the fixture's profile carries after the action.
QString profileQuery()
{
    return QStringLiteral("&login=4420712345&firstname=John&lastname=Smith&password1=secret1&password2=secret1"
                          "&street=1%20High%20St&town=Leeds&zip=%2012345&country=UK&phone=+44-113-4960000&fax=%20"
                          "&email=me@example.org&credit_nr=00000000000000000001&credit_exp=%20"
                          "&bank_name=%20&bank_code=%20&bank_account=%20&bank_owner=%20");
}

QByteArray accountWithGroups(const QString& groups)
{
    QString json = QStringLiteral(R"({"4420712345": {"password": "secret1")");
    if (!groups.isNull())
        json += QStringLiteral(R"(, "groups": "%1")").arg(groups);
    return (json + QStringLiteral("}}")).toUtf8();
}

}  // namespace

// The account protocol against the service simulator: requests, replies,
// messages, bookkeeping and failures; the member status from the user
// record's groups and what it switches; address reports to the service
// (real addresses for Brisko members, an empty one for the other tiers,
// only when the address changed).
class TestAccountProtocol : public QObject {
    Q_OBJECT

    std::unique_ptr<ServiceFixture> f;

    // The member's profile on the page, the addresses of the network card
    // and of the modem; the status line as a request finds it.
    void start(const QStringList& simArgs = {})
    {
        f = std::make_unique<ServiceFixture>(test::registeredSettings(), simArgs);
        QVERIFY(f->sim.isRunning());
        QVERIFY(f->load());
        f->view.setText(Control::Text21, QStringLiteral("10.1.1.1"));
        f->view.setText(Control::Text8, QStringLiteral("10.2.2.2"));
        f->view.setEnabled(Control::Command6, true);
        f->status().setText(QStringLiteral("before"));
        f->statusSeen.clear();
    }

    [[nodiscard]] QString faxOfLastRequest() const
    {
        return QUrlQuery(f->lastRequest().section(QLatin1Char('?'), 1)).queryItemValue(QStringLiteral("fax"), QUrl::FullyEncoded);
    }

    // A Relay member (the service says Brisko and Relay) whose last status
    // check lies daysAgo back (none if negative), with a print utility that
    // notes its runs.
    bool load(int daysAgo, bool registered = true, const QString& password = QStringLiteral("secret1"),
              const QMap<QString, QString>& extra = {})
    {
        QMap<QString, QString> s =
            test::registeredSettings({{"Use_Defaults", "3"}, {"print_exe", "fakeprint"}, {"general_timout", "0"}});
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
        qputenv("TORVEX_TIME_SCALE", "100");  // a followed run is five polls of 100 ms
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
    void init() { start(); }
    void cleanup()
    {
        f.reset();
        qunsetenv("TORVEX_TIME_SCALE");
    }

    void registerRequestAndItsAcceptance()
    {
        f->sim.writeAccounts("{}");
        // A new member: the profile is on the page only.
        f->env.writeFile(QStringLiteral("account.ini"), "[TORVEX]\nVX_domain_name=torvex.net\n");
        f->account().protocol.SaveAccountInfo(1, true);

        const QString target = QStringLiteral("/bbs?action=adduser") + profileQuery();
        QCOMPARE(f->state().gURL, QStringLiteral("//") + f->sim.address() + target);
        QCOMPARE(f->lastRequest(), target + QStringLiteral(" user=-"));
        QVERIFY(f->state().gHTTPOK);

        QCOMPARE(f->boxes->texts(), QStringList{QStringLiteral("Welcome to TORVEX") + kBoxLineBreak
                                               + QStringLiteral("Your TORVEX account 4420712345 has been set up.")});
        QCOMPARE(f->boxes->shown[0].caption, QCoreApplication::applicationName());
        QCOMPARE(f->boxes->shown[0].buttons, MsgButtons::Ok);
        QVERIFY(f->view.isEnabled(Control::Command5));
        QCOMPARE(f->view.text(Control::Command6), QStringLiteral("Update Profile"));
        QVERIFY(!f->view.isEnabled(Control::txtFirstName));
        QVERIFY(!f->view.isEnabled(Control::txtLastName));
        QCOMPARE(f->key(QStringLiteral("Account_Date_Stamp")), f->todayText());
        QCOMPARE(f->key(QStringLiteral("Profile_Last_Change")), f->todayText());
        QCOMPARE(f->info().gUserProfileStamp, f->todayText());

        // The status line names the server while the request runs, and comes back after.
        QCOMPARE(f->statusSeen.first(),
                 f->status().myDateTime() + QStringLiteral(" Contacting TORVEX.NET"));
        QCOMPARE(f->status().text(), QStringLiteral("before"));

        // The profile as sent, escaped; the password is not part of it.
        for (const auto& [key, value] : {std::pair{"login", "4420712345"}, {"street", "1%20High%20St"}, {"state", "%20"},
                                         {"zip", "12345"}, {"company_name", "%20"}, {"number", "4960000"}})
            QCOMPARE(f->accountKey(QStringLiteral("MYINFO"), QString::fromLatin1(key)), QString::fromLatin1(value));
        QCOMPARE(f->accountKey(QStringLiteral("HTTP"), QStringLiteral("Request")), QStringLiteral("<absent>"));
        QVERIFY(f->sim.accounts().contains("\"town\": \"Leeds\""));
    }

    void escapingOfEmptyAndBlankFields()
    {
        f->view.setText(Control::txtBankACOwner, QStringLiteral("Smith & Co"));
        f->view.setText(Control::txtJobTitle, QStringLiteral("O'Neil"));
        f->view.setText(Control::txtArea, QString());
        f->account().protocol.SaveAccountInfo(2, false);
        const QString url = f->state().gURL;
        QVERIFY(url.contains(QLatin1String("&zip=%2012345&")));
        QVERIFY2(!url.contains(QLatin1String("phone")), qPrintable(url));
        QVERIFY(url.contains(QLatin1String("&bank_name=Smith%20%26%20Co&bank_code=%20")));
        QVERIFY(url.endsWith(QLatin1String("&bank_owner=ONeil")));
        QCOMPARE(f->accountKey(QStringLiteral("MYINFO"), QStringLiteral("area")), QString());
    }

    // Characters that would end a value or the whole query reach the
    // service intact, come back to the page as typed, and do not grow when
    // saved again.
    void valuesArriveWhole_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("query syntax") << "Flat #3 & Co+, 50% off";
        QTest::newRow("percent before a code") << "100%20 & 5%26";
        QTest::newRow("line break") << "a\r\nb";
    }
    void valuesArriveWhole()
    {
        QFETCH(QString, typed);
        f->view.setText(Control::txtStreet, typed);
        f->account().protocol.SaveAccountInfo(2, false);
        QVERIFY(f->state().gHTTPOK);
        const QJsonObject stored = QJsonDocument::fromJson(f->sim.accounts()).object().value(QLatin1String("4420712345")).toObject();
        QCOMPARE(stored.value(QLatin1String("street")).toString(), typed);
        QCOMPARE(stored.value(QLatin1String("country")).toString(), QStringLiteral("UK"));
        QCOMPARE(stored.value(QLatin1String("fax")).toString(), QStringLiteral(" "));

        test::FakeView loaded;
        AccountContext ctx{f->sched(), f->state(), loaded, f->status(), *f->boxes, [] { return test::kLoadTime.date(); }, {}};
        AccountProfile(ctx).LoadAccountInfo();
        QCOMPARE(loaded.text(Control::txtStreet), typed);
        QCOMPARE(loaded.text(Control::txtState), QString());
        QCOMPARE(loaded.text(Control::txtTown), QStringLiteral("Leeds"));
        const QString kept = f->accountKey(QStringLiteral("MYINFO"), QStringLiteral("street"));
        QCOMPARE(requestValue(storedProfileText(kept)), kept);
    }

    // What the request needs is checked first: the box says what is
    // missing and takes the user there, and nothing is sent or saved.
    void refusedBeforeTheRequest_data()
    {
        QTest::addColumn<QString>("change");  // a field emptied, or "login=..." / "domain=..."
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("focus");
        const QString app = QCoreApplication::applicationName();
        using L = QStringList;
        QTest::newRow("first name") << "txtFirstName" << L{"Missing First Name, please retry!"} << kTitle << 6 << "txtFirstName";
        QTest::newRow("street") << "txtStreet" << L{"Missing Street Address, please retry!"} << kTitle << 6 << "txtStreet";
        QTest::newRow("town") << "txtTown" << L{"Missing Town, please retry!"} << kTitle << 6 << "txtTown";
        QTest::newRow("country") << "txtCountry" << L{"Missing Country, please retry!"} << kTitle << 6 << "txtCountry";
        QTest::newRow("password") << "Password" << L{"Missing Password, please retry!"} << kTitle << 1 << "Text13";
        // Without a login the fields are not asked for.
        QTest::newRow("no login") << "login=" << L{"Your TORVEX Address must be set to use the torvex.net server.",
                                                   "Missing Login, please retry!"} << kTitle << 1 << "txtVXAddress";
        QTest::newRow("a login that is no fax number")
            << "login=john" << L{"The TORVEX.NET Server requires a Global Fax Number as the User Name"} << app << 1 << "Text2";
        QTest::newRow("another domain's account is left alone") << "domain=example.org" << L() << QString() << 1 << "Text2";
    }

    void refusedBeforeTheRequest()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, messages);
        QFETCH(QString, caption);
        QFETCH(int, tab);
        QFETCH(QString, focus);
        const QString value = change.section(QLatin1Char('='), 1);
        if (change == QLatin1String("Password"))
            f->info().Password.clear();
        else if (change.startsWith(QLatin1String("login=")))
            f->sched().gLogin = value;
        else if (change.startsWith(QLatin1String("domain=")))
            f->sched().gDomain = value;
        else
            f->view.setText(test::control(change), QString());
        // A later empty field does not take the focus from the first.
        f->view.setText(Control::txtCountry, QString());
        const QByteArray before = f->env.readFile(QStringLiteral("account.ini"));
        f->account().protocol.SaveAccountInfo(1, true);
        QCOMPARE(f->boxes->texts(), messages);
        if (!messages.isEmpty())
            QCOMPARE(f->boxes->shown[0].caption, caption);
        QCOMPARE(f->boxes->beeps, int(messages.size()));  // one with each box
        QCOMPARE(f->view.tab, tab);
        QCOMPARE(controlName(f->view.focused), focus);
        // The account button waits for a global fax number.
        QCOMPARE(f->view.isEnabled(Control::Command6), value != QLatin1String("john"));
        QVERIFY(f->sim.requests().isEmpty());
        if (messages.isEmpty())
            QCOMPARE(f->env.readFile(QStringLiteral("account.ini")), before);
    }

    void replyTitles_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("message");
        const QString two = kBoxLineBreak + kBoxLineBreak;
        const QString alreadyUsed = "Refused" + two + "An account already exists for the global fax number -" + kBoxLineBreak
                                    + "4420712345" + two + "If you believe this is a mistake please immediately advise "
                                    + kBoxLineBreak + "support@torvex.net.";
        QTest::newRow("http error page") << page("HTTP 404 Not Found", "Not Found", "Gone.") << false
                                         << "HTTP 404 Not Found" + two + "Not Found" + two + "Gone.";
        QTest::newRow("http wins over showdb_ok") << page("HTTP showdb_ok", "H", "B") << false
                                                  << "HTTP showdb_ok" + two + "H" + two + "B";
        QTest::newRow("showdb_ok") << page("showdb_ok", "H", "B") << true << QString();
        QTest::newRow("upper-case adduser_ok") << page("ADDUSER_OK", "Welcome", "Set up.") << true
                                               << "Welcome" + kBoxLineBreak + "Set up.";
        QTest::newRow("already used") << page("adduser_fail", "Refused", "The number is already used.") << false << alreadyUsed;
        QTest::newRow("namesake") << page("adduser_fail", "Refused", "A namesake has one.") << false
                                  << "Refused" + two + "You have a namesake!" + kBoxLineBreak
                                         + "An account already in your name." + kBoxLineBreak + two
                                         + "Please add/change a Middle Initial or nickname to the 'First Name' entry and re-try.";
        QTest::newRow("already used by a namesake") << page("adduser_fail", "Refused", "already used by a namesake") << false
                                                    << alreadyUsed;
        QTest::newRow("other refusal") << page("adduser_fail", "Refused", "No.") << false
                                       << "Refused" + two + "No." + two;
        QTest::newRow("changeuser_ok") << page("changeuser_ok", "H", "B") << true
                                       << "Your TORVEX User Profile has been successfully changed on the TORVEX Server!";
        QTest::newRow("changeuser_fail")
            << QStringLiteral("<title>changeuser_fail</title><h1>Update refused</h1>Not changed.<p>Bad password"
                              "<center><h1>Try again.</h1></center>")
            << false << "Update refused" + two + "p>Bad password" + two + "Try again.";
        QTest::newRow("exactly OK") << page("OK", "H", "B") << true << QString();
        QTest::newRow("ok is not OK") << page("ok", "Hm", "Odd.") << false << "Hm" + two + "Odd.";
    }

    // Every title row, through the real HTTP path; an earlier success never
    // makes a later unknown reply look accepted.
    void replyTitles()
    {
        QFETCH(QString, reply);
        QFETCH(bool, accepted);
        QFETCH(QString, message);
        f->state().gHTTPOK = true;
        QVERIFY(f->sim.setNextReply(reply));
        f->account().protocol.HTTPEnquiry(true, QStringLiteral("//") + f->sim.address() + QStringLiteral("/bbs?action=x"), {});
        QCOMPARE(f->state().gHTTPOK, accepted);
        QCOMPARE(f->account().protocol.gHTTPError(), 0);
        QCOMPARE(f->boxes->texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(f->status().text(), QStringLiteral("before"));

        // Without messages nothing is shown, and the outcome is the same.
        f->boxes->shown.clear();
        QVERIFY(f->sim.setNextReply(reply));
        f->account().protocol.HTTPEnquiry(false, QStringLiteral("//") + f->sim.address() + QStringLiteral("/bbs?action=x"), {});
        QCOMPARE(f->state().gHTTPOK, accepted);
        QVERIFY(f->boxes->shown.empty());
    }

    // Support reads what the last request sent and got back, never the
    // password: after accepted and refused requests no file holds it.
    void thePasswordStaysOutOfEveryWrittenFile()
    {
        writeTorvexKey(QStringLiteral("Password"), QString());  // not kept
        f->sim.writeAccounts("{}");
        f->account().protocol.SaveAccountInfo(1, false);  // accepted
        f->account().protocol.SaveAccountInfo(1, false);  // refused: already used
        f->account().protocol.SaveAccountInfo(2, false);  // accepted
        QVERIFY(f->sim.setMode(QStringLiteral("error")));
        f->account().protocol.SaveAccountInfo(2, false);  // refused: server error
        QVERIFY(f->account().protocol.getUserInfo(QStringLiteral("4420712345")) == false);
        QCOMPARE(f->sim.requests().size(), 5);
        QCOMPARE(f->filesHolding("secret1"), QStringList());

        QVERIFY(f->sim.setMode(QStringLiteral("normal")));
        f->boxes->shown.clear();
        f->info().Password = QStringLiteral("wrong-one");
        f->account().protocol.SaveAccountInfo(2, true);  // refused: the password
        QVERIFY(!f->state().gHTTPOK);
        QVERIFY(f->boxes->texts().value(0).startsWith(QLatin1String("HTTP 401 Unauthorized")));
        QCOMPARE(f->accountKey(QStringLiteral("HTTP"), QStringLiteral("Request")),
                 QStringLiteral("//4420712345:********@") + f->sim.address() + QStringLiteral("/bbs?action=changeuser")
                     + profileQuery().replace(QLatin1String("secret1"), QLatin1String("********")));
        QVERIFY(f->accountKey(QStringLiteral("HTTP"), QStringLiteral("Response")).contains(QLatin1String("HTTP 401")));
        QVERIFY(f->filesHolding("wrong-one").isEmpty());

        // Only where the user keeps it.
        writeTorvexKey(QStringLiteral("Password"), QStringLiteral("secret1"));
        QCOMPARE(f->filesHolding("secret1"), QStringList{f->env.iniPath()});
    }

    // The request fails or its reply is none: the box and the status bar
    // say why.
    void transportFailures_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("requests");  // that reached the server: none is sent twice
        const auto numbered = [](int error, const char* text) {
            return QStringLiteral("Error ") + QString::number(error) + kBoxLineBreak + QString::fromLatin1(text);
        };
        QTest::newRow("stalled") << QString() << "stall" << 35761 << numbered(35761, "Request timed out") << 1;
        QTest::newRow("dropped") << QString() << "drop" << 35797 << numbered(35797, "Connection reset.") << 1;
        QTest::newRow("refused") << "127.0.0.1:" + QString::number(test::unusedPort()) << "normal" << 35754
                                 << numbered(35754, "Unable to connect to remote host") << 0;
        QTest::newRow("unresolvable") << "no-such-host.invalid" << "normal" << 35773
                                      << numbered(35773, "Name not resolved.") << 0;
        QTest::newRow("empty reply") << QString() << "empty" << -1
                                     << "The server could not be contacted or it may have returned an invalid or "
                                        "unrecognised response!" << 1;
    }

    void transportFailures()
    {
        QFETCH(QString, server);
        QFETCH(QString, mode);
        QFETCH(int, error);
        QFETCH(QString, message);
        QFETCH(int, requests);
        if (!server.isEmpty())
            f->info().gVXIPAddress = server;
        QVERIFY(f->sim.setMode(mode));
        f->account().http.setRequestTimeoutMs(600);
        f->state().gHTTPOK = true;
        f->account().protocol.SaveAccountInfo(2, true);
        QCOMPARE(f->account().protocol.gHTTPError(), error);
        QVERIFY(!f->state().gHTTPOK);
        QCOMPARE(f->boxes->texts(), QStringList{message});
        QCOMPARE(f->boxes->shown[0].caption, kTitle);
        // The status bar says so too, instead of staying on "Contacting".
        QCOMPARE(f->status().text(), f->status().myDateTime() + QLatin1Char(' ') + message.section(kBoxLineBreak, -1));
        QCOMPARE(f->accountKey(QStringLiteral("HTTP"), QStringLiteral("Response")), QString());
        QCOMPARE(f->sim.requests().size(), requests);
    }

    void theServerAddressIsLookedUpWhenNotGiven()
    {
        f->info().gVXIPAddress.clear();
        f->info().gVXDomainName = QStringLiteral("no-such-host.invalid");
        f->sched().gDomain = f->info().gVXDomainName;
        f->sched().gLocalIPAddr = QStringLiteral("0");
        f->account().protocol.SaveAccountInfo(2, false);
        QVERIFY(f->state().gURL.startsWith(QLatin1String("///bbs?action=changeuser")));
        QCOMPARE(f->account().protocol.gHTTPError(), 35755);  // no remote computer
        QCOMPARE(f->sched().gLocalIPAddr, QStringLiteral("0"));

        f->info().gVXDomainName = QStringLiteral("localhost");
        f->sched().gDomain = f->info().gVXDomainName;
        f->account().protocol.SaveAccountInfo(2, false);
        QCOMPARE(f->info().gVXIPAddress, QStringLiteral("127.0.0.1"));
        // The report's chosen address survives the server look-up.
        QCOMPARE(f->sched().gLocalIPAddr, QStringLiteral("0"));
    }

    // An update by http, or by https when the server's address or the
    // setting asks for it; a certificate that fails is an error like any
    // other. The credentials go with the request, not in its address.
    void anUpdate_data()
    {
        QTest::addColumn<QString>("https");  // "address": "https://" in VX_IP_Address; "setting": VX_Use_HTTPS
        QTest::addColumn<bool>("expired");
        QTest::newRow("http") << "" << false;
        QTest::newRow("the address asks for https") << "address" << false;
        QTest::newRow("the setting asks for https") << "setting" << false;
        QTest::newRow("expired certificate") << "address" << true;
    }
    void anUpdate()
    {
        QFETCH(QString, https);
        QFETCH(bool, expired);
        static const test::TestCertificates certificates;
        QVERIFY(certificates.ok());
        const test::TestCertificates::Pair pair =
            certificates.pair(expired ? QStringLiteral("expired") : QStringLiteral("server"));
        if (!https.isEmpty()) {
            start({QStringLiteral("--tls-cert"), pair.cert, QStringLiteral("--tls-key"), pair.key});
            f->info().Trusted_Certificate_File = certificates.caFile();
        }
        if (https == QLatin1String("address"))
            f->info().gVXIPAddress = QStringLiteral("https://") + f->sim.address();
        else if (https == QLatin1String("setting"))
            f->info().VX_Use_HTTPS = true;
        f->account().protocol.SaveAccountInfo(2, true);
        const QString target = QStringLiteral("/bbs?action=changeuser") + profileQuery();
        QCOMPARE(f->state().gURL, QStringLiteral("//") + f->sim.address() + target);
        if (expired) {
            QVERIFY(!f->state().gHTTPOK);
            QCOMPARE(f->boxes->texts(), QStringList{"Error 12037" + kBoxLineBreak + "The server's certificate has expired."});
            QVERIFY(f->sim.requests().isEmpty());
            return;
        }
        QVERIFY(f->state().gHTTPOK);
        QCOMPARE(f->lastRequest(), target + QStringLiteral(" user=4420712345"));
        QCOMPARE(f->boxes->texts(),
                 QStringList{QStringLiteral("Your TORVEX User Profile has been successfully changed on the TORVEX Server!")});
        QCOMPARE(f->boxes->shown[0].caption, kTitle);
        QCOMPARE(f->key(QStringLiteral("Profile_Last_Change")), f->todayText());
        QCOMPARE(f->key(QStringLiteral("Account_Date_Stamp")), QStringLiteral("2024-01-02"));  // not stamped again
        QVERIFY(f->account().protocol.getUserInfo(QStringLiteral("4420712345")));
    }

    void checkAgainstTheServer_data()
    {
        QTest::addColumn<QString>("groups");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("record");  // the record as the service writes it; empty: the simulator's
        QTest::newRow("members and relay") << "Members, Relay" << "3" << " Relay " << "";
        QTest::newRow("lower-case brisko") << "brisko" << "4" << " Brisko " << "";
        QTest::newRow("brisko and relay") << "Brisko, Relay" << "5" << " Brisko+Relay " << "";
        QTest::newRow("brisko relay, no comma") << "Brisko Relay" << "5" << " Brisko+Relay " << "";
        QTest::newRow("members") << "Members" << "2" << " Member " << "";
        QTest::newRow("no groups item") << QString() << "1" << " Basic " << "";
        QTest::newRow("another group") << "Guests" << "1" << " Basic " << "";
        // Each value's cell straight after its item, the item's cell left open.
        QTest::newRow("item cells left open") << "Brisko" << "4" << " Brisko "
                                              << "<title>showdb_ok</title><table><tr><th>Login<td>4420712345</td>"
                                                 "<tr><th>Groups<td>Brisko</td></table>";
    }

    void checkAgainstTheServer()
    {
        QFETCH(QString, groups);
        QFETCH(QString, status);
        QFETCH(QString, title);
        QFETCH(QString, record);
        f->sim.writeAccounts(accountWithGroups(groups));
        if (!record.isEmpty())
            QVERIFY(f->sim.setNextReply(record));
        f->info().gMemberStatus = QStringLiteral("-");
        QVERIFY(f->account().member.CheckMemberStatus());
        QCOMPARE(f->info().gMemberStatus, status);
        QCOMPARE(f->key(QStringLiteral("Use_Defaults")), status);
        QCOMPARE(f->key(QStringLiteral("Profile_Last_Change")), f->todayText());
        QCOMPARE(f->info().gUserProfileStamp, f->todayText());
        QCOMPARE(f->account().member.getMemberTitle(), title);
        QCOMPARE(f->account().protocol.getUserItem(QStringLiteral("LOGIN")), QStringLiteral("4420712345"));  // an item in any case
        QVERIFY(f->lastRequest().startsWith(QLatin1String("/bbs?action=showdb&what=users&name=4420712345 user=4420712345")));
        QVERIFY(f->boxes->shown.empty());

        // The same groups again: no change.
        QVERIFY(!f->account().member.CheckMemberStatus());
    }

    // A failed check keeps the status and its date.
    void userRecordRefusals()
    {
        f->info().Password = QStringLiteral("wrong");
        f->info().gMemberStatus = QStringLiteral("4");
        QVERIFY(!f->account().member.CheckMemberStatus());
        QCOMPARE(f->info().gMemberStatus, QStringLiteral("4"));
        QCOMPARE(f->key(QStringLiteral("Profile_Last_Change")), QStringLiteral("<absent>"));
        QCOMPARE(f->key(QStringLiteral("Use_Defaults")), QStringLiteral("2"));
        QCOMPARE(f->boxes->texts(), QStringList{QStringLiteral("Access denied!\r\nPlease check your password and retry!")});

        f->boxes->shown.clear();
        QVERIFY(f->sim.setMode(QStringLiteral("empty")));
        QVERIFY(!f->account().protocol.getUserInfo(QStringLiteral("4420712345")));
        QCOMPARE(f->boxes->texts().size(), 2);
        QCOMPARE(f->boxes->texts().last(), QStringLiteral("The server is unavailable!\r\nPlease try again later."));

        f->boxes->shown.clear();
        const QString server = f->info().gVXIPAddress;
        f->info().gVXIPAddress = QStringLiteral("127.0.0.1:") + QString::number(test::unusedPort());
        QVERIFY(!f->account().protocol.getUserInfo(QStringLiteral("4420712345")));
        QCOMPARE(f->boxes->texts(), QStringList{QStringLiteral("Access denied!\r\nPlease check your password and retry!")});

        f->info().gVXIPAddress = server;
        f->info().gMemberStatus.clear();
        QVERIFY(f->sim.setMode(QStringLiteral("stall")));
        f->account().http.setRequestTimeoutMs(400);
        QVERIFY(!f->account().member.CheckMemberStatus());
        QCOMPARE(f->info().gMemberStatus, QStringLiteral("1"));
    }

    void reportsTheAddressOfTheTier_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("modem");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("address");  // reported
        QTest::addColumn<QString>("saved");
        QTest::addColumn<int>("again");        // requests after a second report of the same address
        QTest::newRow("other tiers: empty, every time") << "3" << false << "secret1" << "0" << "0" << 2;
        QTest::newRow("brisko by modem: the connection's, once") << "4" << true << "secret1" << "10.2.2.2" << "10.2.2.2" << 1;
        QTest::newRow("brisko relay: the network card's") << "5" << false << "secret1" << "10.1.1.1" << "10.1.1.1" << 1;
        QTest::newRow("refused: not saved, tried again") << "4" << false << "wrong" << "10.1.1.1" << "<absent>" << 2;
    }
    void reportsTheAddressOfTheTier()
    {
        QFETCH(QString, status);
        QFETCH(bool, modem);
        QFETCH(QString, password);
        QFETCH(QString, address);
        QFETCH(QString, saved);
        QFETCH(int, again);
        f->info().gMemberStatus = status;
        f->info().Password = password;
        if (modem) {
            f->info().Modem_Connect = true;
            f->view.setChecked(Control::Option2, false);
            f->view.setChecked(Control::Option1, true);
        }
        f->account().reporting.UpdatedbLocalIPAddress();
        QCOMPARE(f->sched().gLocalIPAddr, address);
        QCOMPARE(f->sim.requests().size(), 1);
        QVERIFY(f->lastRequest().startsWith(QLatin1String("/bbs?action=changeuser&login=4420712345&")));
        QCOMPARE(faxOfLastRequest(), address == QLatin1String("0") ? QStringLiteral("%20") : address);
        QCOMPARE(f->key(QStringLiteral("Public_IP_Addr")), saved);
        QVERIFY(f->boxes->shown.empty());
        f->account().reporting.UpdatedbLocalIPAddress();
        QCOMPARE(f->sim.requests().size(), again);
        if (!modem)
            return;
        QVERIFY(f->sim.accounts().contains("\"fax\": \"10.2.2.2\""));
        // A new address is reported.
        f->view.setText(Control::Text8, QStringLiteral("10.3.3.3"));
        f->account().reporting.UpdatedbLocalIPAddress();
        QCOMPARE(f->sim.requests().size(), 2);
        QCOMPARE(faxOfLastRequest(), QStringLiteral("10.3.3.3"));
    }

    // A change of address between runs: Brisko members of a registered
    // account report it once; behind a firewall the empty address is saved.
    void aChangedAddress_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("registered");
        QTest::addColumn<bool>("firewall");
        QTest::addColumn<QString>("reported");  // the page's address goes out; null: nothing is
        QTest::addColumn<QString>("saved");
        QTest::newRow("behind a firewall") << "5" << true << true << "10.1.1.1" << "";
        QTest::newRow("without a firewall") << "4" << true << false << "10.1.1.1" << "10.1.1.1";
        QTest::newRow("not Brisko") << "3" << true << false << QString() << "<absent>";
        QTest::newRow("not registered") << "4" << false << false << QString() << "<absent>";
    }
    void aChangedAddress()
    {
        QFETCH(QString, status);
        QFETCH(bool, registered);
        QFETCH(bool, firewall);
        QFETCH(QString, reported);
        QFETCH(QString, saved);
        f->info().gMemberStatus = status;
        if (!registered)
            f->info().gACDateStamp.clear();
        f->info().gPubIPAddr = firewall ? QStringLiteral("10.1.1.1") : QStringLiteral("10.9.9.9");
        f->view.setChecked(Control::Check1, firewall);
        f->sched().gLocalIPAddr = QStringLiteral("10.1.1.1");
        f->account().reporting.updateLocalIPAddress();
        QCOMPARE(f->sim.requests().size(), reported.isNull() ? 0 : 1);
        if (!reported.isNull())
            QCOMPARE(faxOfLastRequest(), reported);
        QCOMPARE(f->key(QStringLiteral("Public_IP_Addr")), saved);
        // Reported once: nothing new to report.
        f->account().reporting.updateLocalIPAddress();
        QCOMPARE(f->sim.requests().size(), reported.isNull() ? 0 : 1);
    }

    // The account in the scheduler: loading the profile, the account button,
    // and the member-status steps of start-up and retrieval (which reports
    // the address every time, but never for Brisko runs).
    void startUpAccountSteps_data()
    {
        QTest::addColumn<int>("daysAgo");  // since the last status check, none if negative
        QTest::addColumn<bool>("registered");
        QTest::addColumn<bool>("addressChanged");
        QTest::addColumn<bool>("retrieval");  // the steps of a retrieval's start, not of start-up
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QString>("title");  // "as built": the steps did not run
        const QStringList checked{QStringLiteral("showdb"), QStringLiteral("changeuser")};
        QTest::newRow("31 days") << 31 << true << false << false << checked << " Brisko+Relay ";
        QTest::newRow("30 days") << 30 << true << false << false << QStringList() << " Relay ";
        QTest::newRow("address changed") << 1 << true << true << false << QStringList{"changeuser"} << " Relay ";
        QTest::newRow("unregistered") << 100 << false << false << false << QStringList() << "as built";
        QTest::newRow("no status date") << -1 << true << false << false << QStringList() << "as built";
        QTest::newRow("retrieval, 31 days") << 31 << true << false << true << checked << " Brisko+Relay ";
        QTest::newRow("retrieval, 30 days") << 30 << true << false << true << QStringList{"changeuser"} << "as built";
    }

    void startUpAccountSteps()
    {
        QFETCH(int, daysAgo);
        QFETCH(bool, registered);
        QFETCH(bool, addressChanged);
        QFETCH(bool, retrieval);
        QFETCH(QStringList, actions);
        QFETCH(QString, title);
        QVERIFY(load(daysAgo, registered));
        // Loading showed the stored profile and asked the service nothing.
        QCOMPARE(f->view.text(Control::txtStreet), QStringLiteral("1 High St"));
        QCOMPARE(f->key(QStringLiteral("VX_IP_Address")), f->sim.address());
        QVERIFY(f->sim.requests().isEmpty());
        f->view.setText(Control::Label50, QStringLiteral("as built"));
        f->core().state().gflgSendIPAddressUpdate = addressChanged;
        if (retrieval)
            f->core().launcher().shellIt(QStringLiteral("0"));
        else
            f->core().runStartupAccountSteps();
        QCOMPARE(this->actions(), actions);
        QCOMPARE(f->view.text(Control::Label50), title);
        QVERIFY(f->boxes->shown.empty());
        if (actions.contains(QLatin1String("changeuser")))
            QCOMPARE(f->key(QStringLiteral("Public_IP_Addr")), f->core().state().gLocalIPAddr);
        if (retrieval) {
            f->core().launcher().shellIt(QStringLiteral("6"));
            QCOMPARE(this->actions(), actions);
        }
        if (daysAgo != 31)
            return;
        QCOMPARE(f->core().state().info.gMemberStatus, QStringLiteral("5"));
        QCOMPARE(f->key(QStringLiteral("Use_Defaults")), QStringLiteral("5"));
        QCOMPARE(f->key(QStringLiteral("Profile_Last_Change")), formatSystemDate(kLoadTime.date()));
        QVERIFY(f->view.isEnabled(Control::Check15));
        QVERIFY(f->view.isEnabled(Control::Check16));
        // The report carries the network card's address for a Brisko member.
        QCOMPARE(faxOfLastRequest(), f->view.text(Control::Text21));
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
        // Neither connection option, as on a first start: the button asks
        // for one (and sends nothing, see the actions below).
        f->view.setChecked(Control::Option1, false);
        f->view.setChecked(Control::Option2, false);
        clickAccountButton();
        QCOMPARE(texts(), QStringList{QStringLiteral("Please select 'Modem' or 'Network'.")});
        f->boxes->shown.clear();
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
};

QTEST_GUILESS_MAIN(TestAccountProtocol)
#include "tst_account_protocol.moc"
