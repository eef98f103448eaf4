// Runs of the print utility killed (SIGKILL) at chosen moments: during the
// fetch after ten messages, while the fetched files are decoded, while it
// prints, before the SMTP server's "250" to a receipt and after it. Each
// moment is reached by watching the files and holding the conversation at
// a relay between the print utility and the real servers (Dovecot,
// aiosmtpd). Once a run goes to its end, every TORVEX was printed once (one
// killed while printing may come out twice, never not at all), filed once,
// and confirmed by exactly one receipt; and every file is private.
#include "common/telvane_info.h"
#include "tests/support/recording_relay.h"
#include "tests/support/run_bench.h"

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
        QCOMPARE(storedWhole(bench_.home(QStringLiteral("In"))), 10);

        // While the next run decodes those ten into the Inbox.
        QVERIFY(killWhen([&] { return test::maildirMessageFiles(bench_.profile()).size() >= 3; }, "while decoding"));

        // While printing: the header of a TORVEX out, its fax not yet.
        QVERIFY(killWhen([&] { return bench_.printouts().size() >= 5; }, "while printing"));

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

        const QList<int> times
            = test::timesPrinted(bench_.home(QStringLiteral("Printouts")), test::batchTokens(kTorvexes));
        // Printed once; the TORVEX whose run was killed between its print jobs
        // and its record may come out twice.
        QList<int> once(kTorvexes, 1);
        if (const qsizetype twice = times.indexOf(2); twice >= 0)
            once[twice] = 2;
        QCOMPARE(times, once);

        // Fetched and filed once, nothing left on the way; confirmed by
        // exactly one receipt.
        bench_.verifyFiledOnce(pop_, kTorvexes);
        QCOMPARE(bench_.filesIn(QStringLiteral("Out")), QStringList());
        test::verifyReceipts(smtp_.deliveries(), kTorvexes, [](int) { return 1; });

        // And every file is private.
        const auto mode = [](const QString& path) { return QFileInfo(path).permissions() & 0x0fff; };
        const QString printed = bench_.profile(QStringLiteral(".TORVEXes.Printed"));
        for (const QString& folder : {bench_.home(QStringLiteral("In")), bench_.home(QStringLiteral("Out")),
                                      bench_.home(QStringLiteral("temp")), bench_.home(QStringLiteral("Printouts")),
                                      bench_.profile(QStringLiteral("cur")), printed, printed + QStringLiteral("/cur")})
            QVERIFY2(mode(folder) == QFile::Permissions(0x0700), qPrintable(folder));
        const QStringList files = test::maildirMessageFiles(printed)
            << bench_.printouts().value(0) << bench_.home(QStringLiteral("In.uidl"));
        for (const QString& file : files)
            QVERIFY2(mode(file) == QFile::Permissions(0x0600), qPrintable(file));
    }

private:
    void setUp()
    {
        qputenv("TORVEX_TIME_SCALE", "10");
        QVERIFY(test::startMailbox(pop_));
        QVERIFY(test::startReceiptServer(smtp_));
        // The runs go through the relays.
        popRelay_ = std::make_unique<test::RecordingRelay>(pop_.port());
        smtpRelay_ = std::make_unique<test::RecordingRelay>(smtp_.port());
        QVERIFY(popRelay_->listen() && smtpRelay_->listen());
        qputenv("TORVEX_POP3_PORT", QByteArray::number(popRelay_->port()));
        qputenv("TORVEX_SMTP_PORT", QByteArray::number(smtpRelay_->port()));
        bench_.fetchFromLoopback();
        bench_.set({{"general_timout", QStringLiteral("9")}});

        const QByteArray fax = test::sampleFaxTiff(bench_.home(QStringLiteral("sample.tif")), 2,
                                                   tools::FaxCompression::Group4, true);
        QVERIFY(!fax.isEmpty());
        for (int n = 1; n <= kTorvexes; ++n) {
            tools::InternetFax mail = test::numberedTorvex(n, fax);
            mail.extraHeaders = tools::receiptRequestHeaders(test::kBatchSender, n % 2 == 0);
            pop_.deliver(tools::composeInternetFax(mail));
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
        qInfo("killed %s: %d printouts, %d in the Inbox, %d in In/, %d receipts delivered", what,
              int(bench_.printouts().size()), int(test::maildirMessageFiles(bench_.profile()).size()),
              storedWhole(bench_.home(QStringLiteral("In"))), int(smtp_.deliveries().size()));
        return reached;
    }

    test::RunBench bench_;
    DovecotServer pop_;
    SmtpTestServer smtp_;
    std::unique_ptr<test::RecordingRelay> popRelay_;
    std::unique_ptr<test::RecordingRelay> smtpRelay_;
    std::unique_ptr<QProcess> run_;
};

QTEST_MAIN(TestInterruptedRun)
#include "tst_interrupted_run.moc"
