// "Send &Test" from the real window to the end: the real print utility
// sends through the test SMTP server, which delivers into its Maildir; the
// retrieval start talks to the service simulator.
#include "common/telvane_info.h"
#include "scheduler/core/program_title.h"
#include "scheduler/core/system_date.h"
#include "tests/scheduler/account/sim_process.h"
#include "tests/scheduler/support/scheduler_fixture.h"
#include "tests/support/smtp_test_server.h"

#include <QtTest>

using namespace torvex;
using namespace torvex::test;

namespace {

const QString kAddress = QStringLiteral("4420712345@127.0.0.1");

}  // namespace

class TestSendTest : public QObject {
    Q_OBJECT

    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<SmtpTestServer> smtp;
    std::unique_ptr<LineFixture> window;

    // The SMTP servers of every row at smtpPort.
    void load(quint16 smtpPort)
    {
        qputenv("TORVEX_SMTP_PORT", QByteArray::number(smtpPort));
        // A registered member on a card, whose status check is due, with the
        // SMTP servers of every row on loopback.
        QMap<QString, QString> settings = registeredSettings(
            {{"Torvex_Addr", "4420712345@127.0.0.1"}, {"User_SMTP_Server", "127.0.0.1"}, {"Printer_Type", "TORVEX PDF"},
             {"print_exe", "vxprintu"}, {"general_timout", "5"}, {"Auto_Dis_Connect", "y"}, {"Use_Defaults", "1"}});
        settings.insert(QStringLiteral("Profile_Last_Change"), formatSystemDate(kLoadTime.date().addDays(-40)));
        window = std::make_unique<LineFixture>(settings);
        window->env.writeFile(QStringLiteral("account.ini"),
                              "[TORVEX]\nVX_domain_name=torvex.net\nVX_IP_Address=" + sim->address().toUtf8()
                                  + "\nVX_SMTP_Server=127.0.0.1\nLast_Resort_SMTP_Server=127.0.0.1\n[MYINFO]\nlogin=4420712345\n");
        window->linkRealUtility();
        QVERIFY(window->load());
        // An address outside the service's domain leaves the button as the
        // user's first pass through the pages would.
        window->view.setEnabled(Control::Command5, true);
    }

    // The click and what the user then reads.
    QString sendTest()
    {
        RecordingMessageBoxes& boxes = *window->boxes;
        boxes.shown.clear();
        window->view.click(Control::Command5);
        return boxes.shown.empty() ? QString() : boxes.shown.back().text;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!SmtpTestServer::available())
            QSKIP("python3-aiosmtpd is not installed");
        qputenv("TORVEX_TIME_SCALE", "50");
    }

    void init()
    {
        sim = std::make_unique<SimProcess>();
        QVERIFY(sim->isRunning());
        sim->writeAccounts(R"({"4420712345": {"password": "secret1", "groups": "Users"}})");
        smtp = std::make_unique<SmtpTestServer>();
    }
    void cleanup()
    {
        window.reset();
        smtp.reset();
        sim.reset();
    }

    void acceptedTestNamesTheServerAndReachesTheMailbox()
    {
        QVERIFY(smtp->start());
        load(smtp->port());
        QCOMPARE(sendTest(), QStringLiteral("Your test message was sent to the server 127.0.0.1.\r\n"
                                            "It may not be immediately available."));
        QCOMPARE(window->boxes->shown.back().caption, programTitle());
        QCOMPARE(readTorvexKey(QStringLiteral("test_server")), QStringLiteral("127.0.0.1"));
        // Only the box for the user; the hang-up box is unticked, not saved.
        QCOMPARE(window->boxes->shown.size(), std::size_t(1));
        QVERIFY(!window->view.isChecked(Control::Check14));
        QVERIFY(window->view.isEnabled(Control::Command5));
        QVERIFY(window->view.isEnabled(Control::Command4));
        // The retrieval start asked the service for the member's status.
        QVERIFY(!sim->requests().filter(QStringLiteral("showdb")).isEmpty());

        // The message waits in the user's mailbox for the next retrieval.
        const QList<SmtpTestServer::Delivery> delivered = smtp->deliveries();
        QCOMPARE(delivered.size(), 1);
        QCOMPARE(delivered[0].rcptTo, QStringList{kAddress});
        QVERIFY(delivered[0].content.contains("\r\nSubject: Test TORVEX\r\n"));
        QVERIFY(delivered[0].content.contains("To: <" + kAddress.toUtf8() + ">\r\n"));
        QVERIFY(delivered[0].content.contains("WELCOME TO THE WONDERFULL WORLD OF TORVEX"));
    }

    void refusedAddressBringsTheAddressPageForward()
    {
        SmtpTestServer::Options refusing;
        refusing.refused = {kAddress};
        QVERIFY(smtp->start(QStringLiteral("127.0.0.1"), 0, refusing));
        load(smtp->port());
        window->view.switchFrame(5);
        QCOMPARE(sendTest(),
                 QStringLiteral("Your test message could not be sent.\r\nNo such TORVEX Address!"));
        QCOMPARE(window->core().state().lastError, QStringLiteral("2"));
        QCOMPARE((window->view.tab - 1), 0);
        QCOMPARE(readTorvexKey(QStringLiteral("test_server"), QStringLiteral("absent")), QString());
        QVERIFY(smtp->deliveries().isEmpty());
        // The own domain's refusal ended the test: no other server was asked.
        QCOMPARE(smtp->commands().filter(QStringLiteral("RCPT TO")).size(), 1);
    }

    void noServerReachableBringsTheEmailPageForward()
    {
        load(unusedPort());
        QCOMPARE(sendTest(), QStringLiteral("Your test message could not be sent.\r\n"
                                            "Please check the entries in the 'EMail' tab and re-try."));
        QVERIFY(!window->core().state().lastError.isEmpty());
        QVERIFY(window->core().state().lastError != QLatin1String("2"));
        QCOMPARE((window->view.tab - 1), 1);
        QVERIFY(window->statusText().contains(QLatin1String("Next TORVEX retrieval scheduled in")));
    }

    void failedApplySendsNothing()
    {
        QVERIFY(smtp->start());
        load(smtp->port());
        window->view.setText(Control::Text6, QString());
        QCOMPARE(sendTest(), QStringLiteral("Missing Regular EMail Address!"));
        QVERIFY(window->view.isEnabled(Control::Command5));
        QVERIFY(smtp->commands().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSendTest)
#include "tst_send_test.moc"
