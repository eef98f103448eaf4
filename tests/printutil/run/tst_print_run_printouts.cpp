// Whole runs of vxprintu: how it starts and ends, and runs onto real
// printers (the built-in PDF printer read back with pdfinfo, pdfimages and
// pdftotext, a CUPS queue of a cupsd the test starts) of Internet faxes
// written by real mail software or by a careless sender, fetched from
// Dovecot all the way to paper and receipt.
#include "common/telvane_info.h"
#include "platform/desktop/single_instance.h"
#include "platform/maildir/maildir_message.h"
#include "platform/maildir/maildir_store.h"
#include "printutil/mailbox/maildir_mailbox.h"
#include "printutil/run/print_run.h"
#include "tests/support/cups_server.h"
#include "tests/support/pdf_reader.h"
#include "tests/support/run_bench.h"
#include "tests/support/test_certificates.h"
#include "tools/demo_faxes.h"
#include "tools/sample_inbox.h"

#include <QDir>
#include <QDirIterator>
#include <QtTest>

#include <memory>

using namespace torvex;
using namespace torvex::tools;
using test::DovecotServer;
using test::SmtpTestServer;

namespace {

// Pages of the jobs the sample Inbox prints, in order: header block and
// 3-page fax; header block and text file; header block and fax of the
// message with a rejected file; the 2-page regular fax.
const QList<int> kJobPages{1, 3, 1, 1, 1, 3, 2};

}  // namespace

class TestPrintRunPrintouts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        bench_ = std::make_unique<test::RunBench>();
        bench_->set({{"Torvex_Addr", QStringLiteral("user@torvex.net")}});
    }
    void cleanup() { bench_.reset(); }

    // Every start makes the working folders, the user's alone, and empties
    // temp; a run that cannot go on leaves its status and no summary, so
    // that the scheduler sees it as still going until it times out.
    void startsAndEnds_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("vxprint");
        QTest::addColumn<QString>("status");
        const QString summary = QStringLiteral(" Printed 0 TORVEXes + 0 Regular Faxes");
        QTest::newRow("nothing to fetch") << QByteArray("last_error=old error\nprint_status=old\n")
                                          << QStringList{"/6"} << 0 << "quit" << summary;
        QTest::newRow("built-in printer, spaced, receipts kept")
            << QByteArray("Printer_Type= TORVEX PDF \nSave_MDNs=y\n") << QStringList{"/6"} << 0 << "quit" << summary;
        QTest::newRow("unknown printer") << QByteArray("Printer_Type=No Such Printer\n") << QStringList{"/0"}
                                         << int(RunExit::PrinterError) << "running"
                                         << "Print Error : NO or BAD PRINTER CONFIGURED !";
        QTest::newRow("no command line") << QByteArray() << QStringList() << int(RunExit::NoCommandLine) << "running"
                                         << "Starting TORVEX Print";
    }
    void startsAndEnds()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, vxprint);
        QFETCH(QString, status);
        bench_->env.writeFile(bench_->env.iniPath(), "[TORVEX]\n" + settings);
        bench_->env.writeFile(QStringLiteral("temp/0001.TIF"), "stale");
        QVERIFY(QDir().mkpath(bench_->home(QStringLiteral("profiles/Windows Messaging Settings"))));
        const test::ProcessResult run = bench_->run(args);
        QVERIFY(run.finished);
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(readTorvexKey(QStringLiteral("VXPrint")), vxprint);
        QCOMPARE(readTorvexKey(QStringLiteral("print_status")), status);
        QCOMPARE(readTorvexKey(QStringLiteral("printing")), vxprint == QLatin1String("quit") ? "0" : "1");
        QCOMPARE(readTorvexKey(QStringLiteral("last_error"), QStringLiteral("absent")), QString());
        if (vxprint == QLatin1String("quit")) {
            QCOMPARE(readTorvexKey(QStringLiteral("session")), QStringLiteral("0,0,0,0"));
            QCOMPARE(readTorvexKey(QStringLiteral("totals")), QStringLiteral("0,0,0,0"));
        }
        if (args.isEmpty()) {
            QVERIFY(run.err.contains("TORVEX Print must be started by TORVEX Scheduler"));
            QVERIFY(run.err.contains("'Get TORVEXes Now'"));
        }
        // They hold faxes and receipts: the user's alone; MDNs only with Save_MDNs.
        QVERIFY(QDir(bench_->home(QStringLiteral("temp"))).isEmpty());
        for (const char* folder : {"In", "Out", "temp"})
            QCOMPARE(QFileInfo(bench_->home(QLatin1String(folder))).permissions() & 0x0fff, QFile::Permissions(0x0700));
        QCOMPARE(QDir(bench_->home(QStringLiteral("MDNs"))).exists(), settings.contains("Save_MDNs"));
    }

    // A later start while a run goes on exits at once and writes nothing,
    // unless the run is past its own time bound: then it says so.
    void secondInstanceReportsOnlyARunPastItsBound_data()
    {
        QTest::addColumn<int>("boundSeconds");
        QTest::addColumn<bool>("reported");
        QTest::newRow("within its bound") << 3600 << false;
        QTest::newRow("past its bound") << -60 << true;
    }
    void secondInstanceReportsOnlyARunPastItsBound()
    {
        QFETCH(int, boundSeconds);
        QFETCH(bool, reported);
        // This test process takes the print utility's instance lock for the
        // same program folder and settings file.
        const SingleInstance first(QStringLiteral("vxprintu"));
        QVERIFY(!first.isPreviousInstance());
        first.setTimeBound(QDateTime::currentDateTime().addSecs(boundSeconds));
        writeTorvexKey(QStringLiteral("last_error"), QStringLiteral("marker"));
        const test::ProcessResult second = bench_->run({QStringLiteral("/6")});
        QVERIFY(second.finished);
        QCOMPARE(second.exitCode, 0);
        const QString lastError = readTorvexKey(QStringLiteral("last_error"));
        if (reported) {
            QVERIFY2(lastError.startsWith(QStringLiteral("Print Error : TORVEX Print started ")), qPrintable(lastError));
            QVERIFY(lastError.endsWith(QStringLiteral(" is still running, past its time limit")));
        } else {
            QCOMPARE(lastError, QStringLiteral("marker"));
        }
        QCOMPARE(readTorvexKey(QStringLiteral("VXPrint"), QStringLiteral("absent")), QStringLiteral("absent"));
    }

    void cupsQueueGetsJobsOfTheRightPageCounts()
    {
        if (!test::CupsServer::available())
            QSKIP("cupsd is not installed (tools/debian-packages.txt lists cups)");
        test::CupsServer cups;
        QVERIFY2(cups.start(), qPrintable(cups.log()));
        QVERIFY2(cups.addFileQueue(QStringLiteral("Fax_Printer"), bench_->home(QStringLiteral("printed.ps"))),
                 qPrintable(cups.log()));
        bench_->set({{"Printer_Type", QStringLiteral("Fax_Printer")}});
        fillInbox();
        const test::ProcessResult run
            = bench_->run({QStringLiteral("/6")}, {QStringLiteral("CUPS_SERVER=") + cups.address()}, 180000);
        QVERIFY2(run.finished && run.exitCode == 0, run.err.constData());
        QCOMPARE(readTorvexKey(QStringLiteral("print_status")), QStringLiteral(" Printed 2 TORVEXes + 1 Regular Faxes"));
        const QMap<int, int> jobs = cups.finishedJobPages(QStringLiteral("Fax_Printer"), int(kJobPages.size()));
        QCOMPARE(jobs.values(), kJobPages);
        QVERIFY(bench_->env.readFile(QStringLiteral("printed.ps")).startsWith("%!PS"));
        QVERIFY(!QFileInfo::exists(bench_->home(QStringLiteral("Printouts"))) || QDir(bench_->home(QStringLiteral("Printouts"))).isEmpty());
    }

    // The built-in PDF printer prints the whole Inbox. Then "/8 ID" prints a
    // filed fax again as the run printed it: its header block and its pages,
    // and nothing else happens. The folders keep every file (read marks
    // included), no receipt is sent, the one waiting in Out/ stays there, and
    // the scheduler's keys are left alone.
    void pdfPrinterPrintsAndReprintsAFiledFax()
    {
        if (!test::SmtpTestServer::available())
            QSKIP("python3-aiosmtpd is needed (tools/debian-packages.txt)");
        fillInbox();
        const test::ProcessResult whole = bench_->run({QStringLiteral("/6")});
        QVERIFY2(whole.finished && whole.exitCode == 0, whole.err.constData());
        QCOMPARE(readTorvexKey(QStringLiteral("session")), QStringLiteral("2,1,1,0"));
        const QString folder = bench_->home(QStringLiteral("Printouts"));
        QCOMPARE(bench_->printoutPages(), kJobPages);
        test::SmtpTestServer smtp;
        QVERIFY(smtp.start());
        bench_->set({{"Confirm_Receipt", QStringLiteral("y")}, {"User_SMTP_Server", QStringLiteral("127.0.0.1")},
                     {"VXPrint", QString()}});
        bench_->env.writeFile(QStringLiteral("Out/20240305102030.MDN"), "To:sender@127.0.0.1\r\nSubject: waiting\r\n\r\nx\r\n.\r\n");
        const QStringList before = filesUnder(bench_->profile()) + filesUnder(bench_->home(QStringLiteral("Out")));

        const QString printed = filedId({QStringLiteral("TORVEXes"), QStringLiteral("Printed")}, QStringLiteral("three page fax"));
        const QString unprintable = filedId({QStringLiteral("TORVEXes"), QStringLiteral("Unprintable")}, QString());
        const QString regular = filedId({QStringLiteral("Regular Faxes"), QStringLiteral("Printed")}, QString());
        QVERIFY(!printed.isEmpty() && !unprintable.isEmpty() && !regular.isEmpty());
        const QString inInbox = QStringLiteral("INBOX/") + MaildirFolder(bench_->profile(), {}).messages().front().baseName;
        const struct {
            QString id;
            int exitCode;
            QList<int> jobPages;
            QString onPaper;
        } cases[] = {
            {printed, 0, {1, 3}, QStringLiteral("Subject: three page fax")},
            {unprintable, 0, {1, 3}, QStringLiteral("Invalid File Format")},
            {regular, 0, {2}, QString()},
            {inInbox, 4, {}, QString()},
            {printed.section(QLatin1Char('/'), 0, 0) + QStringLiteral("/no-such-message"), 4, {}, QString()},
            {QStringLiteral("../.TORVEXes.Printed/") + printed.section(QLatin1Char('/'), 1), 4, {}, QString()},
        };
        for (const auto& c : cases) {
            QDir(folder).removeRecursively();
            const test::ProcessResult run
                = bench_->run({QStringLiteral("/8"), c.id}, {QStringLiteral("TORVEX_SMTP_PORT=%1").arg(smtp.port())});
            QVERIFY2(run.finished && run.exitCode == c.exitCode, qPrintable(c.id + QLatin1Char(' ') + QString::fromUtf8(run.err)));
            QCOMPARE(bench_->printoutPages(), c.jobPages);
            QVERIFY2(test::printedText(folder).simplified().contains(c.onPaper), qPrintable(c.id));
        }
        QCOMPARE(filesUnder(bench_->profile()) + filesUnder(bench_->home(QStringLiteral("Out"))), before);
        QCOMPARE(smtp.commands(), QStringList());
        QCOMPARE(readTorvexKey(QStringLiteral("VXPrint")), QString());
    }

    // Internet faxes written by real mail software, fetched from Dovecot by
    // POP3 and, again, delivered into the Inbox by another program: each
    // prints its fax pages and only its own text, readable and whole, and
    // its receipt tells what was printed.
    void realMailPrintsRight_data()
    {
        QTest::addColumn<QString>("shape");       // of tests/support/real_mail.py
        QTest::addColumn<int>("faxPages");
        QTest::addColumn<int>("textPages");       // at most
        QTest::addColumn<bool>("printed");        // else unprintable, "Failed"
        QTest::addColumn<int>("receiptPages");
        QTest::addColumn<QStringList>("onPaper");
        QTest::addColumn<QStringList>("notOnPaper");
        const QStringList mime{QStringLiteral("Content-Type"), QStringLiteral("SUkq")};
        const QString sender = QStringLiteral("sender@127.0.0.1");
        QTest::newRow("email, mixed") << "mixed-base64" << 2 << 1 << true << 2
                                      << QStringList{sender, "Please find the fax attached.", "FAX.TIF"} << mime;
        QTest::newRow("email, folded part header")
            << "octet-folded" << 2 << 1 << true << 2
            << QStringList{"RECEIVED FACSIMILE PAGE ONE OF THE GATEWAY.TIF"} << mime;
        QTest::newRow("email, RFC 2231 names")
            << "rfc2231-names" << 4 << 1 << true << 4
            << QStringList{"FAX F\u00dcR SIE.TIF", "EMPFANGENES TELEFAX \u00dcBER DAS GATEWAY, SEITE ZWEI VON ZWEI.TIFF"}
            << mime;
        QTest::newRow("email, RFC 2047 name") << "rfc2047-name" << 2 << 1 << true << 2
                                              << QStringList{"T\u00c9L\u00c9COPIE.TIF"} << mime;
        QTest::newRow("email, alternative in mixed")
            << "alternative-in-mixed" << 2 << 1 << true << 2 << QStringList{"Plain cover text of the fax."}
            << mime + QStringList{"HTML cover", "<p>", "<html"};
        QTest::newRow("email, related") << "related" << 2 << 1 << true << 2
                                        << QStringList{"Plain cover text of the fax."}
                                        << mime + QStringList{"See the page", "cid:"};
        QTest::newRow("email, single image body") << "single-image" << 2 << 0 << true << 2 << QStringList{} << mime;
        QTest::newRow("email, charsets")
            << "charsets" << 0 << 3 << true << 2
            << QStringList{"Gr\u00fc\u00dfe aus K\u00f6ln", "Cover caf\u00e9 \u2013 na\u00efve",
                           "UTF-8 note: caf\u00e9", "Latin-1 note: caf\u00e9"}
            << QStringList{"caf\u00c3"};
        QTest::newRow("email, lone dot") << "lone-dot" << 2 << 1 << true << 2
                                         << QStringList{"Above the dot.", "Below the dot."} << mime;
        QTest::newRow("email, plain dots")
            << "plain-dots" << 0 << 1 << true << 1
            << QStringList{"Above the dots.", ".hidden", "MAIL FROM:<x@example.org>", "Last line."}
            << QStringList{"..hidden"};
        QTest::newRow("email, binary called text")
            << "binary-text" << 0 << 1 << false << 1 << QStringList{"UNKNOWN.TXT", "Invalid File Format"}
            << QStringList{"II*"};
        QTest::newRow("email, wide LF lines") << "long-lines" << 0 << 3 << true << 2
                                              << QStringList{"030 WWWWWWWWWW 8888888888"} << QStringList{};
        QTest::newRow("mutt") << "mutt" << 2 << 1 << true << 2 << QStringList{sender, "EMPF\u00c4NGER FAX.TIF"} << mime;
        QTest::newRow("s-nail") << "s-nail" << 2 << 1 << true << 2 << QStringList{sender, "FAX.TIF"} << mime;
        QTest::newRow("mpack") << "mpack" << 2 << 1 << true << 2
                               << QStringList{sender, "Please find the fax attached.", "FAX.TIF"} << mime;
    }

    void realMailPrintsRight()
    {
        QFETCH(QString, shape);
        QFETCH(int, faxPages);
        QFETCH(int, textPages);
        QFETCH(bool, printed);
        QFETCH(int, receiptPages);
        QFETCH(QStringList, onPaper);
        QFETCH(QStringList, notOnPaper);
        startServers();
        const QByteArray message = realMail(shape);
        QVERIFY(!message.isEmpty());

        for (const bool inInbox : {false, true}) {
            const QString path = inInbox ? QStringLiteral("Inbox") : QStringLiteral("POP3");
            if (inInbox) {
                // Named as delivery agents name Maildir files: by the time of arrival.
                const QString drop = QStringLiteral("drop/%1.M1P1.test").arg(QDateTime::currentSecsSinceEpoch());
                bench_->env.writeFile(drop, message);
                bench_->env.writeFile(QStringLiteral("profiles/TORVEX/profile.ini"),
                                      "[Profile]\nDeliver=cp '" + bench_->home(drop).toUtf8() + "' \"$MAILDIR/new/\"\n");
                bench_->set({{"Use_Profile", QStringLiteral("y")}});
            } else {
                dovecot_->deliver(message);
            }
            const qsizetype receiptsBefore = smtp_->deliveries().size();
            const QString folder = bench_->home(QStringLiteral("Printouts"));
            QDir(folder).removeRecursively();
            const test::ProcessResult run
                = bench_->run({QStringLiteral("/0")}, {QStringLiteral("TORVEX_TIME_SCALE=30")});
            QVERIFY2(run.finished && run.exitCode == 0, run.err.constData());
            QCOMPARE(readTorvexKey(QStringLiteral("session")),
                     printed ? QStringLiteral("1,0,0,0") : QStringLiteral("0,1,0,0"));

            int images = 0;
            int texts = 0;
            for (const QString& pdf : bench_->printouts()) {
                const int pageImages = test::pdfImageCount(pdf);
                images += pageImages;
                texts += test::pdfPageCount(pdf) - pageImages;
                // No character lies outside the printable area.
                QVERIFY2(test::pdfTextRightMargin(pdf) > 14, qPrintable(path + QLatin1Char(' ') + pdf));
            }
            QCOMPARE(images, faxPages);
            QVERIFY2(texts <= textPages, qPrintable(path + QStringLiteral(": %1 text pages").arg(texts)));
            const QString paper = test::printedText(folder).simplified();
            // The sender's name is whole; mail another program delivered shows the address.
            if (!inInbox && paper.contains(QStringLiteral("From: ")))
                QVERIFY2(paper.contains(QStringLiteral("From: Fax Gateway <sender@127.0.0.1>")), qPrintable(paper));
            for (const QString& text : onPaper)
                QVERIFY2(paper.contains(text), qPrintable(path + QStringLiteral(" lacks ") + text + QStringLiteral(": ") + paper));
            for (const QString& text : notOnPaper)
                QVERIFY2(!paper.contains(text), qPrintable(path + QStringLiteral(" has ") + text + QStringLiteral(": ") + paper));

            const QList<test::SmtpTestServer::Delivery> receipts = smtp_->deliveries();
            QCOMPARE(receipts.size(), receiptsBefore + 1);
            const QByteArray& receipt = receipts.back().content;
            QCOMPARE(receipts.back().rcptTo, QStringList{QStringLiteral("sender@127.0.0.1")});
            QVERIFY2(receipt.contains("\r\nX-VX-PageCount:" + QByteArray::number(receiptPages) + "\r\n"), receipt.constData());
            QVERIFY(receipt.contains(printed ? "MDN-sent-automatically; Processed" : "MDN-sent-automatically; Failed"));
        }
        QTRY_VERIFY(dovecot_->messages().isEmpty());
    }

    // The demo's faxes, fetched from a mailbox that takes log-ons over TLS
    // only (POP3S), go the whole way a user sees: every fax page printed,
    // every subject on paper. The receipt the contract asks for, with the
    // G3Fax report, goes through the user's own submission server, which
    // wants STARTTLS and a log-on. While that server is down the receipt
    // waits in Out/; the next run sends it, as it was stored, before it
    // prints anything.
    void demoFaxesGoTheWholeWayOverTls()
    {
        if (const QString missing = test::missingMailServers(true); !missing.isEmpty())
            QSKIP(qPrintable(missing));
        static const test::TestCertificates certificates;
        QVERIFY2(certificates.ok(), "openssl could not make the test certificates");
        DovecotServer pop;
        pop.useTls(certificates.server().cert, certificates.server().key);
        QVERIFY(test::startMailbox(pop));
        SmtpTestServer smtp;
        SmtpTestServer::Options options;
        options.tlsCert = certificates.server().cert;
        options.tlsKey = certificates.server().key;
        options.requireTls = true;
        options.auth = QStringLiteral("fax user:pass word");
        QVERIFY(smtp.start(QStringLiteral("127.0.0.1"), 0, options));
        // The recipients' own servers are not there.
        qputenv("TORVEX_SMTP_PORT", "1");
        bench_->fetchFromLoopback();
        bench_->set({{"POP3_Security", QStringLiteral("tls")},
                     {"POP3_Port", QString::number(pop.tlsPort())},
                     {"Trusted_Certificate_File", certificates.caFile()},
                     {"Normal_EMail_Addr", QStringLiteral("me@home.example")},
                     {"User_SMTP_Server", QStringLiteral("127.0.0.1")},
                     {"User_SMTP_Security", QStringLiteral("starttls-required")},
                     {"User_SMTP_Port", QString::number(smtp.port())},
                     {"User_SMTP_User", QStringLiteral("fax user")},
                     {"User_SMTP_Password", QStringLiteral("pass word")},
                     {"Print_Simple_Header", QStringLiteral("y")},
                     {"Save_MDNs", QStringLiteral("y")}});
        const std::vector<tools::DemoFax> faxes = tools::demoFaxes(test::kBatchAddress, QStringLiteral("127.0.0.1"));
        QCOMPARE(faxes.size(), size_t(5));
        QList<int> faxPages;
        for (const tools::DemoFax& fax : faxes) {
            QVERIFY(!pop.deliver(tools::composeInternetFax(fax.mail)).isEmpty());
            if (fax.faxPages > 0)
                faxPages << fax.faxPages;
        }
        // TLS handshakes with a Python server on a loaded machine: ticks of 1 s.
        const auto fetch = [this](const QString& session) {
            const test::ProcessResult run
                = bench_->run({QStringLiteral("/0")}, {QStringLiteral("TORVEX_TIME_SCALE=60")}, 180000);
            QVERIFY2(run.finished && run.exitCode == 0, run.err.constData());
            QCOMPARE(readTorvexKey(QStringLiteral("VXPrint")), QStringLiteral("quit"));
            QCOMPARE(readTorvexKey(QStringLiteral("session")), session);
        };
        // The submission server is down: the receipt waits in Out/.
        const quint16 smtpPort = smtp.port();
        smtp.stop();
        fetch(QStringLiteral("5,0,0,0"));

        // Fax images print as pages without text; their jobs hold exactly
        // the pages of each fax file. Header pages carry every subject.
        QList<int> imageJobs;
        QString text;
        for (const QString& pdf : bench_->printouts()) {
            const QString pageText = test::pdfText(pdf).value_or(QString()).simplified();
            if (pageText.isEmpty())
                imageJobs << test::pdfPageCount(pdf);
            text += pageText + QLatin1Char(' ');
        }
        std::sort(imageJobs.begin(), imageJobs.end());
        std::sort(faxPages.begin(), faxPages.end());
        QCOMPARE(imageJobs, faxPages);
        for (const tools::DemoFax& fax : faxes)
            QVERIFY2(text.contains(fax.mail.subject), qPrintable(fax.mail.subject));
        QVERIFY2(text.contains(QStringLiteral("Urgent deliveries: call the depot.")), qPrintable(text));
        QCOMPARE(MaildirFolder(bench_->profile(), {QStringLiteral("TORVEXes"), QStringLiteral("Printed")}).messages().size(),
                 size_t(5));
        QVERIFY(pop.messages().isEmpty());
        const QStringList waiting = bench_->filesIn(QStringLiteral("Out"));
        QCOMPARE(waiting.size(), 1);
        QVERIFY(QRegularExpression(QStringLiteral("^\\d{14}\\.MDN$")).match(waiting.front()).hasMatch());
        const QByteArray stored = bench_->env.readFile(QStringLiteral("Out/") + waiting.front());
        QVERIFY(!readTorvexKey(QStringLiteral("last_error")).isEmpty());

        QVERIFY(smtp.start(QStringLiteral("127.0.0.1"), smtpPort, options));
        const QByteArray fax = test::sampleFaxTiff(bench_->home(QStringLiteral("fax.tif")), 1);
        tools::InternetFax mail = test::numberedTorvex(1, fax);
        mail.extraHeaders = tools::receiptRequestHeaders(test::kBatchSender, false);
        pop.deliver(tools::composeInternetFax(mail));
        QDir(bench_->home(QStringLiteral("Printouts"))).removeRecursively();
        fetch(QStringLiteral("1,0,0,0"));
        QCOMPARE(readTorvexKey(QStringLiteral("last_error"), QStringLiteral("absent")), QString());
        QVERIFY2(pop.log().contains(QStringLiteral(", TLS")), qPrintable(pop.log()));
        // One session for the waiting receipt, one for the new.
        QCOMPARE(smtp.logOns(), QStringList(2, QStringLiteral("PLAIN fax user ok tls")));
        const QList<SmtpTestServer::Delivery> delivered = smtp.deliveries();
        QCOMPARE(delivered.size(), 2);
        // Only the contract asked for a receipt, with the G3Fax report. The
        // stored file is the composed text, its end-of-data line and a line end.
        QCOMPARE(delivered[0].rcptTo, QStringList({QStringLiteral("contracts@127.0.0.1")}));
        QVERIFY(delivered[0].content.contains("Disposition: automatic-action/MDN-sent-automatically"));
        QVERIFY2(delivered[0].content.contains("G3Fax-Pages=2"), delivered[0].content.constData());
        QVERIFY(stored.endsWith("--\r\n\r\n.\r\n\r\n"));
        QCOMPARE(delivered[0].content, stored.chopped(5));
        // The decoder's subject carries the sender after " From: ".
        QVERIFY(delivered[1].content.startsWith("To:Sender Office <sender@127.0.0.1>\r\nFrom:torvex@127.0.0.1\r\n"));
        QVERIFY(delivered[1].content.contains("\r\nSubject: RE: " + test::batchSubject(1).toUtf8() + " From: "));
        QCOMPARE(delivered[1].rcptTo, QStringList({QStringLiteral("sender@127.0.0.1")}));
        QVERIFY(bench_->filesIn(QStringLiteral("Out")).isEmpty());
        QCOMPARE(bench_->filesIn(QStringLiteral("MDNs")).size(), 2);
        // The waiting receipt went out before this run printed anything.
        const QDir arrived(smtp.maildir() + QStringLiteral("/new"));
        const QDateTime sent = QFileInfo(arrived.filePath(arrived.entryList(QDir::Files, QDir::Time | QDir::Reversed).value(0))).lastModified();
        const QFileInfoList printouts = QDir(bench_->home(QStringLiteral("Printouts"))).entryInfoList(QDir::Files, QDir::Time | QDir::Reversed);
        QVERIFY(!printouts.isEmpty());
        QVERIFY(sent <= printouts.front().lastModified());
    }

    void cleanupTestCase()
    {
        smtp_.reset();
        dovecot_.reset();
    }

private:
    void fillInbox()
    {
        const QString work = bench_->home(QStringLiteral("work"));
        const QByteArray three = test::sampleFaxTiff(work + QStringLiteral("/fax3.tif"), 3);
        const QByteArray two = test::sampleFaxTiff(work + QStringLiteral("/fax2.tif"), 2);
        QVERIFY(!three.isEmpty() && !two.isEmpty());
        MaildirMailboxSystem mailbox(bench_->env.home());
        QVERIFY(mailbox.SessionLogIn(QStringLiteral("TORVEX")));
        for (const SampleTorvex& sample : test::sampleInbox(three, two))
            QVERIFY(addSampleTorvex(mailbox, sample, work));
    }

    // Every file below the folder, by its path there.
    static QStringList filesUnder(const QString& folder)
    {
        QStringList files;
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(folder).relativeFilePath(it.next());
        files.sort();
        return files;
    }

    // The ID of the message in that filed folder whose subject starts so
    // (the first message when subject is empty).
    QString filedId(const QStringList& namePath, const QString& subject) const
    {
        const MaildirFolder folder(bench_->profile(), namePath);
        for (const MaildirEntry& entry : folder.messages()) {
            const auto file = MailFile::read(folder.filePath(entry));
            if (subject.isEmpty() || (file && file->subject().startsWith(subject)))
                return folder.id() + QLatin1Char('/') + entry.baseName;
        }
        return {};
    }

    // The mailbox and receipt server the test's runs share from their first
    // start on (until the last test starts servers of its own), and the
    // settings that fetch from them.
    void startServers()
    {
        if (const QString missing = test::missingMailServers(true); !missing.isEmpty())
            QSKIP(qPrintable(missing));
        if (!dovecot_) {
            dovecot_ = std::make_unique<test::DovecotServer>();
            smtp_ = std::make_unique<test::SmtpTestServer>();
            QVERIFY(test::startMailbox(*dovecot_) && test::startReceiptServer(*smtp_));
        }
        bench_->fetchFromLoopback();
    }

    // A message of that shape, written by the mail software it names, with
    // a two-page fax.
    QByteArray realMail(const QString& shape) const
    {
        const QString fax = bench_->home(QStringLiteral("mail/fax.tif"));
        const QString out = bench_->home(QStringLiteral("mail/message.eml"));
        if (test::sampleFaxTiff(fax, 2).isEmpty())
            return {};
        const test::ProcessResult python = test::runProgram(
            QStringLiteral("/usr/bin/python3"),
            {test::sourceDir() + QStringLiteral("/tests/support/real_mail.py"), shape, out, QStringLiteral("--fax"), fax,
             QStringLiteral("--sender"), QStringLiteral("sender@127.0.0.1"), QStringLiteral("--to"), test::kBatchAddress});
        if (!python.finished || python.exitCode != 0)
            qWarning() << python.err;
        return bench_->env.readFile(out);
    }

    std::unique_ptr<test::RunBench> bench_;
    std::unique_ptr<test::DovecotServer> dovecot_;
    std::unique_ptr<test::SmtpTestServer> smtp_;
};

QTEST_MAIN(TestPrintRunPrintouts)
#include "tst_print_run_printouts.moc"
