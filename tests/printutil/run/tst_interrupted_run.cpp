// Runs of the print utility killed (SIGKILL) at chosen moments: during the
// fetch after ten messages, while the fetched files are decoded, while it
// prints, before the SMTP server's "250" to a receipt and after it. Each
// moment is reached by watching the files and holding the conversation at
// a relay between the print utility and the real servers (Dovecot,
// aiosmtpd). Once a run goes to its end, every TORVEX was printed once (one
// killed while printing may come out twice, never not at all), filed once,
// and confirmed by exactly one receipt; and every file is private.
#include "common/telvane_info.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/delivery_ledger.h"
#include "tests/support/loopback_mail.h"
#include "tests/support/recording_relay.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>

using namespace torvex;
using test::DovecotServer;
using test::SmtpTestServer;

namespace {

constexpr int kTorvexes = 36;
const QString kAddress = QStringLiteral("torvex@127.0.0.1");
// Receipts go to the sender's domain: the relay on 127.0.0.1.
const QString kSender = QStringLiteral("Sender Office <sender@127.0.0.1>");

QString token(int n)
{
    return QStringLiteral("KILL-TOKEN-%1-END").arg(n, 3, 10, QLatin1Char('0'));
}

QString subject(int n)
{
    return QStringLiteral("Kill fax %1").arg(n, 3, 10, QLatin1Char('0'));
}

QStringList tokens()
{
    QStringList all;
    for (int n = 1; n <= kTorvexes; ++n)
        all << token(n);
    return all;
}

// Waits for the condition without sleeping past it: the moments a kill
// aims at last milliseconds.
bool waitClosely(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        QThread::usleep(300);
    }
    return true;
}

// Messages in In/ stored whole: a file still marked partial is the one a
// kill cut off, which the next run removes and fetches again.
int storedWhole(const QString& in)
{
    const QDir folder(in);
    const QStringList names = folder.entryList({QStringLiteral("*.TXT")}, QDir::Files);
    return int(std::count_if(names.cbegin(), names.cend(), [&](const QString& name) {
        return !folder.exists(name + QStringLiteral(".partial"));
    }));
}

}  // namespace

class TestInterruptedRun : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (const QString missing = test::missingMailServers(true); !missing.isEmpty())
            QSKIP(qPrintable(missing));
    }

    void everyTorvexOnceWhereverARunIsKilled()
    {
        setUp();
        if (QTest::currentTestFailed())
            return;

        // During the fetch: ten messages stored (and deleted, but no QUIT).
        popRelay_->holdClient([](const QByteArray& recent) { return recent.contains("RETR 11\r\n"); });
        QVERIFY(killWhen([&] { return popRelay_->held(); }, "during the fetch"));
        QCOMPARE(storedWhole(home(QStringLiteral("In"))), 10);

        // While the next run decodes those ten into the Inbox.
        QVERIFY(killWhen([&] { return test::maildirMessageFiles(profile()).size() >= 3; }, "while decoding"));

        // While printing: the header of a TORVEX out, its fax not yet.
        QVERIFY(killWhen([&] { return printouts() >= 5; }, "while printing"));

        // Before the SMTP server's "250": the end of a receipt's data held back.
        smtpRelay_->holdClient([](const QByteArray& recent) { return recent.contains("\r\n.\r\n"); });
        QVERIFY(killWhen([&] { return smtpRelay_->held(); }, "before the 250"));

        // After the "250": the server's goodbye held back.
        smtpRelay_->holdServer([](const QByteArray& recent) { return recent.startsWith("221 ") || recent.contains("\n221 "); });
        QVERIFY(killWhen([&] { return smtpRelay_->held(); }, "after the 250"));

        // Then a run to its end.
        startRun();
        QVERIFY(QTest::qWaitFor([&] { return run_->state() == QProcess::NotRunning; }, 180000));
        QCOMPARE(run_->exitStatus(), QProcess::NormalExit);
        QCOMPARE(readTorvexKey(QStringLiteral("last_error")), QString());

        const auto counts = test::tokenCountsInPrintouts(home(QStringLiteral("Printouts")), tokens());
        QVERIFY(counts.has_value());
        // Printed once; the TORVEX whose run was killed between its print jobs
        // and its record may come out twice.
        int twice = 0;
        for (int n = 1; n <= kTorvexes; ++n) {
            const int printed = counts->value(token(n));
            QVERIFY2(printed == 1 || printed == 2, qPrintable(QStringLiteral("%1 printed %2 times").arg(n).arg(printed)));
            twice += printed == 2 ? 1 : 0;
        }
        QVERIFY2(twice <= 1, qPrintable(QString::number(twice)));

        // Fetched and filed once: nothing left on the way.
        QVERIFY(pop_->messages().isEmpty());
        QCOMPARE(test::maildirMessageFiles(profile()), QStringList());
        QVERIFY(!QFileInfo::exists(profile(QStringLiteral("pending-moves"))));
        QCOMPARE(QDir(home(QStringLiteral("In"))).entryList(QDir::Files), QStringList());
        QCOMPARE(QDir(home(QStringLiteral("Out"))).entryList(QDir::Files), QStringList());
        // Every TORVEX lies in TORVEXes/Printed once, and nowhere else.
        const QMap<QString, QStringList> where = test::foldersHolding(profile(), tokens());
        for (int n = 1; n <= kTorvexes; ++n)
            QCOMPARE(where.value(token(n)), QStringList{QStringLiteral(".TORVEXes.Printed")});
        QCOMPARE(int(test::maildirMessageFiles(profile(QStringLiteral(".TORVEXes.Printed"))).size()), kTorvexes);

        // Confirmed by exactly one receipt.
        const QList<SmtpTestServer::Delivery> deliveries = smtp_->deliveries();
        for (int n = 1; n <= kTorvexes; ++n) {
            const int count = test::receiptsFor(deliveries, subject(n));
            QVERIFY2(count == 1, qPrintable(QStringLiteral("receipt of %1 arrived %2 times").arg(n).arg(count)));
        }
        QCOMPARE(int(deliveries.size()), kTorvexes);

        // And every file is private.
        const auto mode = [](const QString& path) { return QFileInfo(path).permissions() & 0x0fff; };
        for (const QString& folder : {home(QStringLiteral("In")), home(QStringLiteral("Out")), home(QStringLiteral("temp")),
                                      home(QStringLiteral("Printouts")), profile(QStringLiteral("cur")),
                                      profile(QStringLiteral(".TORVEXes.Printed")),
                                      profile(QStringLiteral(".TORVEXes.Printed/cur"))})
            QVERIFY2(mode(folder) == QFile::Permissions(0x0700), qPrintable(folder));
        QStringList files = test::maildirMessageFiles(profile(QStringLiteral(".TORVEXes.Printed")));
        const QDir printouts(home(QStringLiteral("Printouts")));
        files << printouts.filePath(printouts.entryList(QDir::Files).value(0)) << home(QStringLiteral("In.uidl"));
        for (const QString& file : files)
            QVERIFY2(mode(file) == QFile::Permissions(0x0600), qPrintable(file));
    }

private:
    void setUp()
    {
        env_ = std::make_unique<test::TestEnv>();
        qputenv("TORVEX_TIME_SCALE", "10");
        pop_ = std::make_unique<DovecotServer>();
        QVERIFY(test::startMailbox(*pop_));
        smtp_ = std::make_unique<SmtpTestServer>();
        QVERIFY(test::startReceiptServer(*smtp_));
        // The runs go through the relays.
        popRelay_ = std::make_unique<test::RecordingRelay>(pop_->port());
        smtpRelay_ = std::make_unique<test::RecordingRelay>(smtp_->port());
        QVERIFY(popRelay_->listen() && smtpRelay_->listen());
        qputenv("TORVEX_POP3_PORT", QByteArray::number(popRelay_->port()));
        qputenv("TORVEX_SMTP_PORT", QByteArray::number(smtpRelay_->port()));

        QVERIFY(QDir().mkpath(profile()));
        env_->writeFile(QStringLiteral("account.ini"),
                        "[TORVEX]\r\nVX_domain_name=127.0.0.1\r\nVX_IP_Address=\r\nVX_SMTP_Server=\r\n"
                        "Last_Resort_SMTP_Server=\r\n");
        for (const auto& [key, value] :
             {std::pair{"Torvex_Addr", kAddress}, {"Password", QStringLiteral("secret")},
              {"Torvex_Profile", QStringLiteral("TORVEX")}, {"Printer_Type", QStringLiteral("TORVEX PDF")},
              {"Confirm_Receipt", QStringLiteral("y")}, {"wake_probes", QStringLiteral("0")},
              {"general_timout", QStringLiteral("9")}})
            writeTorvexKey(QString::fromLatin1(key), value);

        const QByteArray fax = test::sampleFaxTiff(home(QStringLiteral("sample.tif")), 2, tools::FaxCompression::Group4,
                                                     true);
        QVERIFY(!fax.isEmpty());
        for (int n = 1; n <= kTorvexes; ++n) {
            tools::InternetFax mail = test::numberedTorvex(n, kSender, kAddress, subject(n), token(n), fax);
            mail.extraHeaders = tools::receiptRequestHeaders(kSender, n % 2 == 0);
            pop_->deliver(tools::composeInternetFax(mail));
        }
    }

    void startRun()
    {
        run_ = std::make_unique<QProcess>();
        run_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        run_->start(test::binDir() + QStringLiteral("/vxprintu"), {QStringLiteral("/0")});
        QVERIFY(run_->waitForStarted(10000));
    }

    // Kills the run once the condition holds; false when the run ended or
    // the moment never came.
    bool killWhen(const std::function<bool()>& moment, const char* what)
    {
        startRun();
        const bool reached = waitClosely([&] { return moment() || run_->state() == QProcess::NotRunning; }, 120000)
            && run_->state() != QProcess::NotRunning;
        run_->kill();  // SIGKILL
        run_->waitForFinished(10000);
        popRelay_->passEverything();
        smtpRelay_->passEverything();
        qInfo("killed %s: %d printouts, %d in the Inbox, %d in In/, %d receipts delivered", what, printouts(),
              int(test::maildirMessageFiles(profile()).size()), storedWhole(home(QStringLiteral("In"))),
              int(smtp_->deliveries().size()));
        return reached;
    }

    [[nodiscard]] QString home(const QString& name) const { return env_->path(name); }
    [[nodiscard]] QString profile(const QString& name = QString()) const
    {
        return home(QStringLiteral("profiles/TORVEX/")) + name;
    }
    [[nodiscard]] int printouts() const
    {
        return int(QDir(home(QStringLiteral("Printouts"))).entryList({QStringLiteral("*.pdf")}, QDir::Files).size());
    }

    std::unique_ptr<test::TestEnv> env_;
    std::unique_ptr<DovecotServer> pop_;
    std::unique_ptr<SmtpTestServer> smtp_;
    std::unique_ptr<test::RecordingRelay> popRelay_;
    std::unique_ptr<test::RecordingRelay> smtpRelay_;
    std::unique_ptr<QProcess> run_;
};

QTEST_MAIN(TestInterruptedRun)
#include "tst_interrupted_run.moc"
