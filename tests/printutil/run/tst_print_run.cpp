// The message loop of a run over a real Maildir, with a recording printer
// and recording transports: what is printed, filed, counted and confirmed;
// and that Maildir as the decoder writes it and the loop reads it.
#include "common/telvane_info.h"
#include "platform/mail/mail_text.h"
#include "platform/maildir/maildir_message.h"
#include "platform/maildir/maildir_store.h"
#include "platform/desktop/message_box.h"
#include "platform/print/print_device.h"
#include "printutil/decode/inbox_file.h"
#include "printutil/mailbox/maildir_mailbox.h"
#include "printutil/run/message_handler.h"
#include "printutil/print/header_block.h"
#include "printutil/print/text_layout.h"
#include "printutil/receipt/mdn_compose.h"
#include "platform/print/image_pages.h"
#include "printutil/run/print_run.h"
#include "tests/support/run_bench.h"
#include "tests/support/recording_message_boxes.h"
#include "tests/support/recording_print_device.h"
#include "tests/support/test_env.h"
#include "tools/sample_inbox.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QtTest>

#include <functional>
#include <memory>

using namespace torvex;
using namespace torvex::tools;
using torvex::test::RecordingPrintDevice;
using torvex::test::sampleTorvex;

namespace {

const QStringList kInbox;
const QStringList kPrinted{QStringLiteral("TORVEXes"), QStringLiteral("Printed")};
const QStringList kUnprintable{QStringLiteral("TORVEXes"), QStringLiteral("Unprintable")};
const QStringList kDeleted{QStringLiteral("Deleted Items")};

class RecordingReceipts final : public ReceiptSender {
public:
    void FlushOutFolder() override {}
    bool SendMDN(const ReceiptRequest& request) override
    {
        requests.push_back(request);
        return true;
    }
    std::vector<ReceiptRequest> requests;
};

class NoTestMessage final : public TestMessageSender {
public:
    void SendTestTorvex() override {}
};

class ScriptedFetcher final : public PopFetcher {
public:
    void CHECKMAIL_Click() override
    {
        ++clicks;
        if (onClick)
            onClick();
    }
    void ProcessPOPFiles(InboxWriter&) override { ++processed; }
    int clicks = 0;
    int processed = 0;
    std::function<void()> onClick;
};

}  // namespace

class TestPrintRun : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        bench_ = std::make_unique<test::RunBench>();
        failBeginAfterJobs_ = -1;
        bench_->set({{"Torvex_Addr", "user@torvex.net"}, {"Confirm_Receipt", "y"}, {"wake_probes", "0"}});
        receipts_ = std::make_unique<RecordingReceipts>();
        fetcher_ = std::make_unique<ScriptedFetcher>();
        boxes_ = std::make_unique<RecordingMessageBoxes>();
        mailbox_ = std::make_unique<MaildirMailboxSystem>(bench_->env.home());
        QVERIFY(mailbox_->SessionLogIn(QStringLiteral("TORVEX")));
        tiff_ = test::sampleFaxTiff(bench_->home(QStringLiteral("work/sample.tif")), 3);
        QVERIFY(!tiff_.isEmpty());
    }
    void cleanup()
    {
        mailbox_.reset();
        bench_.reset();
    }

    // A day's Inbox: every kind of message the loop tells apart.
    void mixedInboxIsPrintedFiledAndCounted()
    {
        std::vector<SampleTorvex> day = test::sampleInbox(tiff_, tiff_);
        day[0].extraHeaders = day[1].extraHeaders = {QStringLiteral("Disposition-Notification-To: receipts@example.org")};
        for (const SampleTorvex& sample : day)
            add(sample);
        SampleTorvex delivery = sampleTorvex(QStringLiteral("delivery report"), {});
        delivery.contentType = QStringLiteral("multipart/report; report-type=delivery-status");
        add(delivery);
        add(sampleTorvex(QStringLiteral("caps"), {},
                         {QStringLiteral("Disposition-Notification-To: caps@example.org"),
                          QStringLiteral("Disposition-Notification-Options: G3Fax-capability-request=required")}));
        SampleTorvex alternative = sampleTorvex(
            QStringLiteral("alternative"), {{QStringLiteral("fax.txt;"), "the fax as text\r\n"}, {QStringLiteral("fax.tif;"), tiff_}});
        alternative.contentType = QStringLiteral("multipart/alternative; boundary=b");
        add(alternative);
        add(sampleTorvex(QStringLiteral("card"),
                         {{QStringLiteral("sender.vcard.vcf;"), "BEGIN:VCARD\r\nFN:Sender Office\r\nEND:VCARD\r\n"},
                          {QStringLiteral("spiff.dat;"), "spiff"},
                          {QStringLiteral("fax.tif;"), tiff_}}));
        SampleTorvex empty = sampleTorvex(QStringLiteral("empty"), {});
        empty.body = QStringLiteral("\r\n");
        add(empty);

        QCOMPARE(run(QStringLiteral("/6")), RunExit::Finished);
        QCOMPARE(readTorvexKey(QStringLiteral("session")), QStringLiteral("5,1,1,0"));
        QCOMPARE(readTorvexKey(QStringLiteral("print_status")), QStringLiteral(" Printed 5 TORVEXes + 1 Regular Faxes"));
        QCOMPARE(readTorvexKey(QStringLiteral("last_error"), QStringLiteral("absent")), QString());
        // Reports other than receipts stay; the capabilities request is answered, not printed.
        QCOMPARE(subjectsIn(kInbox), (QStringList{QStringLiteral("for someone else"), QStringLiteral("delivery report")}));
        QCOMPARE(subjectsIn(kPrinted), (QStringList{QStringLiteral("three page fax"), QStringLiteral("text attachment"),
                                                    QStringLiteral("alternative"), QStringLiteral("card"), QStringLiteral("empty")}));
        QCOMPARE(subjectsIn(kUnprintable), QStringList{QStringLiteral("rejected type")});
        QCOMPARE(subjectsIn(kDeleted), (QStringList{QStringLiteral("receipt from elsewhere"), QStringLiteral("caps")}));
        QCOMPARE(subjectsIn({QStringLiteral("Regular Faxes"), QStringLiteral("Printed")}),
                 QStringList{QStringLiteral("regular fax")});
        for (const char* made : {".TORVEXes.Sent", ".TORVEXes.Receipts Out", ".Regular Faxes.Unprintable"})
            QVERIFY2(QFileInfo(bench_->profile() + QLatin1Char('/') + QLatin1String(made) + QStringLiteral("/cur")).isDir(), made);
        // A printed TORVEX is marked read; the unprintable one is not.
        const auto printed = MaildirFolder(bench_->profile(), kPrinted).messages();
        QVERIFY(printed[0].fileName.endsWith(QStringLiteral(":2,S")));
        QVERIFY(!MaildirFolder(bench_->profile(), kUnprintable).messages()[0].fileName.contains(QStringLiteral(":2,S")));

        // Printout: header block + fax; header + text; header + fax; the
        // regular fax; of the alternatives only the fax; the vCard in the
        // header, the spiff file nowhere; a header saying there is nothing to print.
        QStringList titles;
        for (const auto& job : jobs_)
            titles << job.title;
        const char* header = "TORVEX Print";
        QCOMPARE(titles, (QStringList{header, "0001.TIF", header, header, header, "0001.TIF", "temp.tif", header,
                                      "0002.TIF", header, "0003.TIF", header}));
        QVERIFY(jobs_[9].pages[0].lines.contains(QStringLiteral("\tFN:Sender Office")));
        QVERIFY(jobs_[11].pages[0].lines.contains(QStringLiteral("\tNo Printable Content")));
        QCOMPARE(int(jobs_[1].pages.size()), 3);
        const QStringList block = jobs_[0].pages[0].lines;
        for (const char* line : {"\tTo:\t\tuser@torvex.net", "\tFrom:\t\tSender Office <sender@example.org>",
                                 "\tSent:\t\tTue, 5 Mar 2024 10:20:30 +0100", "\tTORVEXes:", "\t\t\t\tFAX.TIF\tValid TORVEX Format",
                                 "\tSubject:\tthree page fax From: Sender Office <sender@example.org>"})
            QVERIFY2(block.contains(QLatin1String(line)), line);
        QCOMPARE(block.filter(QRegularExpression(QStringLiteral("^\tProcessed:\t\\d\\d/\\d\\d/20\\d\\d "))).size(), 1);
        // The text attachment gets its page header.
        QVERIFY(jobs_[3].pages[0].lines[0].startsWith(QStringLiteral("S ")));
        QVERIFY(jobs_[3].pages[0].lines[0].contains(QStringLiteral("Page No. 1")));
        QVERIFY(jobs_[3].pages[0].lines.contains(QStringLiteral("\there is the note.")));
        const QStringList rejected = jobs_[4].pages[0].lines;
        QVERIFY(rejected.contains(QStringLiteral("\t\t\t\tFAX.TIF\tValid TORVEX Format")));
        QVERIFY(rejected.contains(QStringLiteral("\t\tLETTER.DOC;\tInvalid File Format")));

        // Receipts: one per TORVEX that needs one, each counting the pages
        // of its own message (disposition, recipient, Message-Id, pages,
        // full mode, failure).
        QStringList receipts;
        for (const ReceiptRequest& r : receipts_->requests)
            receipts << QStringLiteral("%1 %2 %3 %4 %5 %6")
                            .arg(dispositionText(r.disposition), r.recipient, r.receivedId, r.pageCount,
                                 r.fullMode ? QStringLiteral("full") : QStringLiteral("simple"), r.failureText);
        QCOMPARE(receipts, (QStringList{"Processed receipts@example.org <sample@example.org> 3 simple ",
                                        "Processed receipts@example.org <sample@example.org> 1 simple ",
                                        "Failed Sender Office <sender@example.org> <sample@example.org> 3 simple Unprintable File(s)",
                                        "CapsRequest caps@example.org <sample@example.org> 0 full "}));
        const QString& report = receipts_->requests[2].report;
        QVERIFY(report.startsWith(QStringLiteral("Process report - \r\n")));
        QVERIFY(report.contains(QStringLiteral("\tLETTER.DOC;\tInvalid File Format\r\n")));
        QVERIFY(report.contains(QStringLiteral("\tFAX.TIF\tFile Processed\r\n")));

        // A second run finds only what stayed, and prints nothing.
        QCOMPARE(run(QStringLiteral("/6")), RunExit::Finished);
        QCOMPARE(readTorvexKey(QStringLiteral("session")), QStringLiteral("0,0,0,0"));
        QVERIFY(jobs_.empty());
    }

    void testModeLeavesTheInboxAsItWas()
    {
        add(sampleTorvex(QStringLiteral("fax"), {{QStringLiteral("fax.tif;"), tiff_}}));
        const auto before = MaildirFolder(bench_->profile(), kInbox).messages();
        for (int round = 0; round < 2; ++round) {
            QCOMPARE(run(QStringLiteral("/7")), RunExit::Finished);
            QCOMPARE(readTorvexKey(QStringLiteral("session")), QStringLiteral("1,0,0,0"));
            QCOMPARE(int(jobs_.size()), 2);
            const auto after = MaildirFolder(bench_->profile(), kInbox).messages();
            QCOMPARE(int(after.size()), 1);
            QCOMPARE(after[0].fileName, before[0].fileName);
        }
        // print_test does the same for any switch.
        writeTorvexKey(QStringLiteral("print_test"), QStringLiteral("1"));
        QCOMPARE(run(QStringLiteral("/6")), RunExit::Finished);
        QCOMPARE(int(MaildirFolder(bench_->profile(), kInbox).messages().size()), 1);
    }

    void wakeUpRunRetriesAfterItsWait()
    {
        bench_->set({{"wake_probes", "2"}, {"wake_probe_seconds", "60"}});
        qputenv("TORVEX_TIME_SCALE", "200");  // 60 s become 300 ms
        fetcher_->onClick = [this] {
            add(sampleTorvex(QStringLiteral("fetched %1").arg(fetcher_->clicks), {{QStringLiteral("fax.tif;"), tiff_}}));
        };
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(run(QStringLiteral("/3")), RunExit::Finished);
        const qint64 elapsed = clock.elapsed();
        qunsetenv("TORVEX_TIME_SCALE");
        QCOMPARE(fetcher_->clicks, 3);
        QCOMPARE(fetcher_->processed, 6);  // before and after every fetch
        QVERIFY2(elapsed >= 580, qPrintable(QString::number(elapsed)));
        QCOMPARE(readTorvexKey(QStringLiteral("session")), QStringLiteral("3,0,0,0"));
    }

    void noPrinterFetchesButPrintsAndMovesNothing()
    {
        bench_->set({{"Printer_Type", ""}});
        add(sampleTorvex(QStringLiteral("fax"), {{QStringLiteral("fax.tif;"), tiff_}}));
        QCOMPARE(run(QStringLiteral("/0")), RunExit::Finished);
        QCOMPARE(fetcher_->clicks, 1);
        QVERIFY(jobs_.empty());
        QCOMPARE(int(MaildirFolder(bench_->profile(), kInbox).messages().size()), 1);
        QCOMPARE(readTorvexKey(QStringLiteral("print_status")), QStringLiteral(" Printed 0 TORVEXes + 0 Regular Faxes"));
    }

    // Mail another program put into the Inbox: its fields come from its own
    // header, as for mail fetched by POP3, however the header is folded; the
    // user may be a copy recipient, the time of arrival is the Received line's
    // and the text is read in its own charset.
    void deliverNowWhenTheProfileFetches()
    {
        bench_->set({{"Use_Profile", "y"}});
        bench_->env.writeFile(QStringLiteral("drop/1.x"),
                              "Received: from mx by host; Tue, 5 Mar 2024 12:00:00 +0000\nTo: other@b\nCc: user@torvex.net\n"
                              "From: a@b\nSubject: delivered\nDate: Tue, 5 Mar 2024 10:20:30 +0100\n"
                              "Message-Id: <d1@b>\nDisposition-Notification-To: Receipt Desk\n <desk@b>\n"
                              "Content-Type: text/plain; charset=iso-8859-15\n\nHello \xa4\n"
                              "Disposition-Notification-To: not@the.body\n");
        bench_->env.writeFile(QStringLiteral("drop/2.x"),
                              "To: user@torvex.net\nFrom: a@b\nSubject: receipt\nContent-Type: multipart/report;\n"
                              " report-type=\"disposition-notification\";\n boundary=r\n\n--r\n\nprocessed\n--r--\n");
        bench_->env.writeFile(QStringLiteral("profiles/TORVEX/profile.ini"),
                              "[Profile]\nDeliver=cp ../../drop/* \"$MAILDIR/new/\"\n");  // run in the profile's folder
        QVERIFY(mailbox_->SessionLogIn(QStringLiteral("TORVEX")));
        QCOMPARE(run(QStringLiteral("/0")), RunExit::Finished);
        QCOMPARE(fetcher_->clicks, 0);
        QCOMPARE(readTorvexKey(QStringLiteral("session")), QStringLiteral("1,0,0,0"));
        QCOMPARE(int(jobs_.size()), 1);
        const QStringList lines = jobs_[0].pages[0].lines;
        const QDateTime arrived(QDate(2024, 3, 5), QTime(12, 0, 0), QTimeZone(0));
        for (const QString& line : {QStringLiteral("\tHello \u20ac"), QStringLiteral("\tFrom:\t\ta@b"),
                                    QStringLiteral("\tSent:\t\tTue, 5 Mar 2024 10:20:30 +0100"),
                                    QStringLiteral("\tReceived:\t") + printedDate(arrived)})
            QVERIFY2(lines.contains(line), qPrintable(line + QLatin1Char(' ') + lines.join(u'|')));
        QCOMPARE(subjectsIn(kDeleted), QStringList{QStringLiteral("receipt")});
        QCOMPARE(int(receipts_->requests.size()), 1);
        QCOMPARE(receipts_->requests[0].recipient, QStringLiteral("Receipt Desk <desk@b>"));
        QCOMPARE(receipts_->requests[0].receivedId, QStringLiteral("<d1@b>"));
        QCOMPARE(receipts_->requests[0].pageCount, QStringLiteral("1"));  // its text, on one page
    }

    void headerModes_data()
    {
        QTest::addColumn<QString>("simple");
        QTest::addColumn<QString>("full");
        QTest::addColumn<int>("jobs");
        QTest::addColumn<bool>("blockFirst");
        QTest::newRow("simple only") << "y" << "n" << 1 << true;
        QTest::newRow("full only") << "n" << "y" << 1 << false;
        QTest::newRow("both") << "y" << "y" << 2 << false;
    }
    void headerModes()
    {
        QFETCH(QString, simple);
        QFETCH(QString, full);
        QFETCH(int, jobs);
        QFETCH(bool, blockFirst);
        bench_->set({{"Print_Simple_Header", simple}, {"Print_Full_Header", full}});
        SampleTorvex blank = sampleTorvex(QStringLiteral("blank text"), {});
        blank.body = QStringLiteral("\r\n\t\r\n");
        add(blank);
        QCOMPARE(run(QStringLiteral("/6")), RunExit::Finished);
        QCOMPARE(int(jobs_.size()), jobs);
        const QStringList first = jobs_[0].pages[0].lines;
        QCOMPARE(first.contains(QStringLiteral("\tSubject:\tblank text From: Sender Office <sender@example.org>")), blockFirst);
        QCOMPARE(first.contains(QStringLiteral("\tMessage-Id: <sample@example.org>")), !blockFirst);
        const QStringList last = jobs_.back().pages[0].lines;
        QVERIFY(last.contains(QStringLiteral("\tNo Printable PlainText Message")));
    }

    // The end-of-data line that closes a fetched message is dropped; every
    // line the sender wrote is printed, a lone "." among them.
    void endOfDataLineIsDroppedAndNothingElse()
    {
        SampleTorvex plain = sampleTorvex(QStringLiteral("plain"), {});
        plain.body = QStringLiteral("first line\r\n.hidden\r\n.\r\nMAIL FROM:<x@example.org>\r\nlast line\r\n.\r\n");
        add(plain);
        QCOMPARE(run(QStringLiteral("/6")), RunExit::Finished);
        const QStringList lines = jobs_[0].pages[0].lines;
        const qsizetype first = lines.indexOf(QStringLiteral("\tfirst line"));
        QVERIFY(first > 0);
        QCOMPARE(lines.mid(first), (QStringList{QStringLiteral("\tfirst line"), QStringLiteral("\t.hidden"),
                                                QStringLiteral("\t."), QStringLiteral("\tMAIL FROM:<x@example.org>"),
                                                QStringLiteral("\tlast line")}));
    }

    void endOfDataHelper()
    {
        QCOMPARE(withoutEndOfData(QStringLiteral("a\r\n.\r\n")), QStringLiteral("a\r\n"));
        QCOMPARE(withoutEndOfData(QStringLiteral("a\r\n.\r\nb\r\n.\r\n")), QStringLiteral("a\r\n.\r\nb\r\n"));
        QCOMPARE(withoutEndOfData(QStringLiteral(".\r\n")), QString());
        QCOMPARE(withoutEndOfData(QStringLiteral("a\r\n.")), QStringLiteral("a\r\n"));
        QCOMPARE(withoutEndOfData(QStringLiteral("a.\r\n..\r\nx. \r\n")), QStringLiteral("a.\r\n..\r\nx. \r\n"));
        QCOMPARE(withoutEndOfData(QStringLiteral("a\r\nends in a dot.\r\n")), QStringLiteral("a\r\nends in a dot.\r\n"));
        // A multipart message's text ends after its text parts: the sender's "." stays.
        QCOMPARE(withoutEndOfData(QStringLiteral("a\r\n.\r\nb\r\n ")), QStringLiteral("a\r\n.\r\nb\r\n "));
    }

    void fatalPrinterErrorEndsTheLoopButFilesWhatWasDone()
    {
        for (const char* subject : {"one", "two", "three"})
            add(sampleTorvex(QLatin1String(subject), {{QStringLiteral("fax.tif;"), tiff_}}));
        failBeginAfterJobs_ = 3;  // header and fax of "one", header of "two"
        QCOMPARE(run(QStringLiteral("/6")), RunExit::Finished);
        QCOMPARE(readTorvexKey(QStringLiteral("last_error")), QStringLiteral("Print Error : Fatal Printer Error"));
        QCOMPARE(subjectsIn(kPrinted), QStringList{QStringLiteral("one")});
        QCOMPARE(subjectsIn(kInbox), (QStringList{QStringLiteral("two"), QStringLiteral("three")}));
        QCOMPARE(readTorvexKey(QStringLiteral("VXPrint")), QStringLiteral("quit"));
        QCOMPARE(int(receipts_->requests.size()), 0);  // one was printed without a receipt address
    }

    // Hostile or broken attachments never write outside the temp folder,
    // never stop the run and never lose the message.
    void badAttachmentsAreRejectedSafely()
    {
        QByteArray cut = tiff_.left(tiff_.size() / 2);
        add(sampleTorvex(QStringLiteral("bad names"), {{QStringLiteral("../../escape.tif;"), tiff_},
                                                       {QStringLiteral("a/b/../../c.txt;"), "x"},
                                                       {QStringLiteral(".."), "y"}}));
        add(sampleTorvex(QStringLiteral("cut tiff"), {{QStringLiteral("fax.tif;"), cut}}));
        QByteArray noisy = tiff_;
        for (qsizetype i = 300; i < noisy.size() - 2000; ++i)
            noisy[i] = char((i * 131) & 0xff);
        add(sampleTorvex(QStringLiteral("noisy tiff"), {{QStringLiteral("fax.tif;"), noisy}}));
        add(sampleTorvex(QStringLiteral("empty files"), {{QStringLiteral("blank.tif;"), QByteArray()},
                                                         {QStringLiteral("blank.txt;"), QByteArray()}}));
        SampleTorvex anonymous = sampleTorvex(QStringLiteral("awd"), {{QStringLiteral("fax.awd;"), QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1xx", 10)}});
        anonymous.from.clear();  // no one to send its receipt to
        add(anonymous);
        // Files that are not mail at all.
        const MaildirFolder inbox(bench_->profile(), {});
        QVERIFY(deliverToMaildir(inbox, QByteArray("\x00\xff\x01 garbage", 11)));
        QVERIFY(deliverToMaildir(inbox, QByteArray()));
        QVERIFY(deliverToMaildir(inbox, QByteArray("To: user@torvex.net\r\nContent-Type: multipart/mixed; boundary=q\r\n\r\n--q\r\n")));

        QCOMPARE(run(QStringLiteral("/6")), RunExit::Finished);
        QCOMPARE(subjectsIn(kUnprintable),
                 (QStringList{QStringLiteral("bad names"), QStringLiteral("cut tiff"), QStringLiteral("noisy tiff"),
                              QStringLiteral("empty files"), QStringLiteral("awd")}));
        // The garbage and the empty file are addressed to nobody and stay;
        // the broken multipart one is a TORVEX with nothing in it, printed as such.
        QCOMPARE(int(MaildirFolder(bench_->profile(), kInbox).messages().size()), 2);
        QCOMPARE(subjectsIn(kPrinted), QStringList{QString()});
        QVERIFY(!QFile::exists(bench_->home(QStringLiteral("escape.tif"))));
        QVERIFY(!QFile::exists(bench_->env.home() + QStringLiteral("/../escape.tif")));
        const QStringList temp = QDir(bench_->home(QStringLiteral("temp"))).entryList(QDir::Files);
        for (const QString& name : temp)
            QVERIFY2(QRegularExpression(QStringLiteral("^(\\d{4}\\.[A-Z]+|vcard\\.txt|temp\\.tif)$")).match(name).hasMatch(),
                     qPrintable(name));
        QCOMPARE(readTorvexKey(QStringLiteral("session")), QStringLiteral("1,5,0,0"));
        QCOMPARE(readTorvexKey(QStringLiteral("last_error")), QString());
        // A "Failed" receipt for each unprintable one but the one from nobody.
        QCOMPARE(int(receipts_->requests.size()), 4);
        for (const ReceiptRequest& request : receipts_->requests)
            QVERIFY(!request.recipient.isEmpty());
    }

    // What passes a limit is not printed: the TORVEX is filed as
    // unprintable, and its header block and receipt say why.
    void limitsMakeATorvexUnprintable_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("line");
        QTest::newRow("pages") << QStringLiteral("pages") << QStringLiteral("\tFAX.TIF;\tNot Printed, more than 500 pages\r\n");
        QTest::newRow("text pages") << QStringLiteral("text") << QStringLiteral("\tLONG.TXT\tNot Printed, more than 500 text pages\r\n");
        QTest::newRow("message text") << QStringLiteral("body") << QStringLiteral("\tMESSAGE TEXT\tNot Printed, more than 500 text pages\r\n");
        QTest::newRow("files") << QStringLiteral("files") << QStringLiteral("\tN101.TXT;\tNot Printed, more than 100 files in one TORVEX\r\n");
    }
    void limitsMakeATorvexUnprintable()
    {
        QFETCH(QString, what);
        QFETCH(QString, line);
        SampleTorvex sample = sampleTorvex(QStringLiteral("too much"), {});
        if (what == QLatin1String("pages")) {
            const QString path = bench_->home(QStringLiteral("work/long.tif"));
            QVERIFY(writeBlankTiff(path, kMaxFaxPages + 1, 16, 16, false));
            const QByteArray tiff = test::readWholeFile(path);
            QVERIFY(!tiff.isEmpty());
            sample.attachments.push_back({QStringLiteral("fax.tif;"), tiff});
        } else if (what == QLatin1String("text")) {
            sample.attachments.push_back({QStringLiteral("long.txt;"), QByteArray(8'000'000, 'x')});
        } else if (what == QLatin1String("body")) {
            sample.body = QString(8'000'000, QLatin1Char('y'));
        } else {
            for (int n = 1; n <= kMaxPrintedFiles + 1; ++n)
                sample.attachments.push_back({QStringLiteral("n%1.txt;").arg(n), "note\r\n"});
        }
        add(sample);
        QCOMPARE(run(QStringLiteral("/6")), RunExit::Finished);
        QCOMPARE(readTorvexKey(QStringLiteral("session")), QStringLiteral("0,1,0,0"));
        QCOMPARE(subjectsIn(kUnprintable), QStringList{QStringLiteral("too much")});
        QVERIFY(int(jobs_.size()) <= 1 + kMaxPrintedFiles);
        QCOMPARE(int(receipts_->requests.size()), 1);
        QCOMPARE(receipts_->requests[0].disposition, ReceiptDisposition::Failed);
        QVERIFY2(receipts_->requests[0].report.contains(line), qPrintable(receipts_->requests[0].report.left(300)));
        QString printed;
        for (const auto& job : jobs_) {
            for (const auto& page : job.pages)
                printed += page.lines.join(QLatin1Char('\n'));
        }
        QVERIFY2(printed.contains(line.trimmed().section(QLatin1Char('\t'), -1)), qPrintable(printed.left(500)));
    }

    void regularFaxPassOnItsOwnProfile()
    {
        QVERIFY(QDir().mkpath(bench_->home(QStringLiteral("profiles/Fax"))));
        bench_->set({{"Print_Normal_Fax", "y"}, {"Normal_Fax_Profile", "Fax"}, {"Print_Error_Info", "y"}});
        MaildirMailboxSystem faxBox(bench_->env.home());
        QVERIFY(faxBox.SessionLogIn(QStringLiteral("Fax")));
        SampleTorvex good = sampleTorvex(QStringLiteral("good"), {{QStringLiteral("fax.tif;"), tiff_}});
        good.messageClass = QStringLiteral("IPM.Note.Fax");
        SampleTorvex bad = sampleTorvex(QStringLiteral("bad"), {{QStringLiteral("fax.tif;"), "not a tiff"}});
        bad.messageClass = QStringLiteral("IPM.Note.Fax");
        for (const SampleTorvex& sample : {good, bad, sampleTorvex(QStringLiteral("plain mail"), {})})
            QVERIFY(addSampleTorvex(faxBox, sample, bench_->home(QStringLiteral("work"))));

        QCOMPARE(run(QStringLiteral("/1")), RunExit::Finished);
        QCOMPARE(readTorvexKey(QStringLiteral("session")), QStringLiteral("0,0,1,0"));
        const QString faxRoot = bench_->home(QStringLiteral("profiles/Fax"));
        QCOMPARE(int(MaildirFolder(faxRoot, {QStringLiteral("Regular Faxes"), QStringLiteral("Printed")}).messages().size()), 1);
        QCOMPARE(int(MaildirFolder(faxRoot, {QStringLiteral("Regular Faxes"), QStringLiteral("Unprintable")}).messages().size()), 1);
        QCOMPARE(int(MaildirFolder(faxRoot, {}).messages().size()), 1);  // the plain mail is not a fax
        const QStringList report = jobs_.back().pages[0].lines;
        QCOMPARE(report.first(), QStringLiteral("\tTORVEX Print Error Report"));
        QVERIFY(report.contains(QStringLiteral("\tIt will be moved to the folder 'Regular Faxes | Unprintable'.")));
        QVERIFY(!QFileInfo(faxRoot + QStringLiteral("/.TORVEXes")).exists());
    }

    void regularEmailStepDeliversOnItsProfile()
    {
        QVERIFY(QDir().mkpath(bench_->home(QStringLiteral("profiles/Mail"))));
        bench_->env.writeFile(QStringLiteral("profiles/Mail/profile.ini"), "[Profile]\nDeliver=touch \"$MAILDIR/delivered\"\n");
        bench_->set({{"Get_Normal_EMail", "y"}, {"Regular_Mail_Profile", "Mail"}});
        QCOMPARE(run(QStringLiteral("/5")), RunExit::Finished);
        QVERIFY(QFile::exists(bench_->home(QStringLiteral("profiles/Mail/delivered"))));
        QCOMPARE(readTorvexKey(QStringLiteral("last_error")), QString());
        bench_->set({{"Regular_Mail_Profile", "Nowhere"}});
        QCOMPARE(run(QStringLiteral("/5")), RunExit::Finished);
        QCOMPARE(readTorvexKey(QStringLiteral("print_status")), QStringLiteral(" Printed 0 TORVEXes + 0 Regular Faxes"));
    }

    void missingProfileAsksAndReportsTheInboxError()
    {
        bench_->set({{"Torvex_Profile", "Nobody"}});
        QCOMPARE(run(QStringLiteral("/6")), RunExit::Finished);
        QCOMPARE(int(boxes_->shown.size()), 1);
        QCOMPARE(boxes_->shown[0].buttons, MsgButtons::YesNo);
        QCOMPARE(readTorvexKey(QStringLiteral("last_error")), QStringLiteral("Inbox Error on profile Nobody"));
        QCOMPARE(readTorvexKey(QStringLiteral("VXPrint")), QStringLiteral("quit"));
    }

    // The Maildir the run works on: the folder of a profile named exactly,
    // or the Maildir its profile.ini names.
    void logOnNeedsAnExistingProfile()
    {
        MaildirMailboxSystem mailbox(bench_->env.home());
        QVERIFY(QDir().mkpath(bench_->home(QStringLiteral("profiles/Fax"))));
        for (const char* name : {"Nobody", "fax", "..", ""})  // names are exact
            QVERIFY2(!mailbox.SessionLogIn(QLatin1String(name)), name);
        QVERIFY(!mailbox.Inbox());
        QVERIFY(mailbox.SessionLogIn(QStringLiteral("Fax")));
        QCOMPARE(mailbox.sessionName(), QStringLiteral("Fax"));
        // The profile folder became a Maildir.
        QVERIFY(QFileInfo(bench_->home(QStringLiteral("profiles/Fax/new"))).isDir());
        QVERIFY(mailbox.Inbox());
        mailbox.Logoff();
        QVERIFY(!mailbox.Inbox());
        QVERIFY(!mailbox.GetMessage(QStringLiteral("INBOX/x")));
    }

    void profileMayNameAnotherMaildir()
    {
        const QString elsewhere = bench_->home(QStringLiteral("home-maildir"));
        bench_->env.writeFile(QStringLiteral("profiles/Home/profile.ini"),
                              "[Profile]\nMaildir=" + elsewhere.toUtf8() + "\n");
        QVERIFY(mailbox_->SessionLogIn(QStringLiteral("Home")));
        QVERIFY(!mailbox_->Inbox());  // a Maildir that is not there is not made up
        QVERIFY(QDir().mkpath(elsewhere));
        QVERIFY(mailbox_->SessionLogIn(QStringLiteral("Home")));
        QVERIFY(mailbox_->Inbox());
        QVERIFY(QFileInfo(elsewhere + QStringLiteral("/cur")).isDir());
        QVERIFY(!QFileInfo(bench_->home(QStringLiteral("profiles/Home/cur"))).exists());
    }

    // What the decoder adds comes back exactly as it was given, and the file
    // is ordinary mail: another MIME reader sees the same parts.
    void decodedMessageRoundTrips()
    {
        bench_->env.writeFile(QStringLiteral("temp/fax.tif"), QByteArray("II*\0binary\r\n\0\xff", 15));
        bench_->env.writeFile(QStringLiteral("temp/empty.txt"), QByteArray());
        NewInboxMessage message;
        message.subject = QStringLiteral("Fax \u00fcber 3 Seiten From: Office <s@example.org>");
        message.senderName = QStringLiteral("Office <s@example.org>");
        message.text = QStringLiteral("+OK 120 octets") + kCrLf + QStringLiteral("From: x") + kCrLf + kCrLf
            + QStringLiteral(".hidden") + kCrLf + QStringLiteral(".") + kCrLf + QStringLiteral("lone\nLF ") ;
        message.timeSent = QDateTime(QDate(2024, 3, 5), QTime(10, 20, 30), QTimeZone(3600));
        message.timeReceived = QDateTime(QDate(2024, 3, 5), QTime(11, 0, 0), QTimeZone(0));
        message.recipients = {QStringLiteral("SMTP:user@torvex.net")};
        message.attachments = {{QStringLiteral("fax.tif;"), bench_->home(QStringLiteral("temp/fax.tif"))},
                               {QStringLiteral("../../evil.txt;quoted-printable"), bench_->home(QStringLiteral("temp/empty.txt"))},
                               {QStringLiteral("gone.txt;"), bench_->home(QStringLiteral("temp/missing"))}};
        QVERIFY(mailbox_->addToInbox(message));

        auto inbox = mailbox_->Inbox();
        QCOMPARE(inbox->MessageCount(), 1);
        auto stored = inbox->Message(1);
        QVERIFY(stored);
        QCOMPARE(stored->Type(), QStringLiteral("IPM.Note"));
        // A lone LF comes back as a line end.
        QCOMPARE(stored->Text(), QString(message.text).replace(QStringLiteral("lone\nLF"), QStringLiteral("lone\r\nLF")));
        QCOMPARE(stored->Subject(), message.subject);
        QCOMPARE(stored->SenderAddress(), QStringLiteral("s@example.org"));
        QCOMPARE(stored->TimeSent(), message.timeSent);
        QCOMPARE(stored->TimeReceived(), message.timeReceived);
        QCOMPARE(stored->RecipientNames(), message.recipients);
        QCOMPARE(stored->AttachmentCount(), 3);
        QCOMPARE(stored->AttachmentName(1), QStringLiteral("fax.tif;"));
        QCOMPARE(stored->AttachmentName(2), QStringLiteral("../../evil.txt;quoted-printable"));
        QCOMPARE(stored->AttachmentSource(2), QStringLiteral("evil.txt"));
        const QString out = bench_->home(QStringLiteral("out.bin"));
        QVERIFY(stored->WriteAttachmentToFile(1, out));
        QCOMPARE(bench_->env.readFile(QStringLiteral("out.bin")), QByteArray("II*\0binary\r\n\0\xff", 15));
        QVERIFY(stored->WriteAttachmentToFile(3, out));
        QCOMPARE(bench_->env.readFile(QStringLiteral("out.bin")), QByteArray());
        QVERIFY(!stored->WriteAttachmentToFile(4, out));
        QVERIFY(stored->Field(31).startsWith(QStringLiteral("From: Office <s@example.org>\r\n")));
        QVERIFY(stored->Field(31).endsWith(QStringLiteral("\r\n\r\n")));

        const MaildirFolder folder(bench_->home(QStringLiteral("profiles/TORVEX")), {});
        const test::ProcessResult python = test::runProgram(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-c"),
             QStringLiteral("import email, email.policy, json, sys\n"
                            "m = email.message_from_binary_file(open(sys.argv[1], 'rb'), policy=email.policy.default)\n"
                            "print(json.dumps([m['Subject'], m['To'], m.get_body(('plain',)).get_content()]\n"
                            "                 + [[a.get_filename(), a.get_content_type(), len(a.get_content())]\n"
                            "                    for a in m.iter_attachments()]))\n"),
             folder.filePath(folder.messages().front())});
        QVERIFY2(python.finished && python.exitCode == 0, python.err.constData());
        const QJsonArray seen = QJsonDocument::fromJson(python.out).array();
        QCOMPARE(seen.toVariantList(),
                 (QVariantList{message.subject, QStringLiteral("user@torvex.net"), message.text,
                               QVariantList{QStringLiteral("fax.tif"), QStringLiteral("image/tiff"), 15},
                               QVariantList{QStringLiteral("evil.txt"), QStringLiteral("text/plain"), 0},
                               QVariantList{QStringLiteral("gone.txt"), QStringLiteral("text/plain"), 0}}));
    }

private:
    void add(const SampleTorvex& sample)
    {
        QVERIFY(addSampleTorvex(*mailbox_, sample, bench_->home(QStringLiteral("work"))));
    }

    // Subjects as the sample gave them ("x From: sender" is how the
    // decoder stores them), in delivery order.
    QStringList subjectsIn(const QStringList& folderPath) const
    {
        const MaildirFolder folder(bench_->profile(), folderPath);
        QStringList subjects;
        for (const MaildirEntry& entry : folder.messages()) {
            const auto file = MailFile::read(folder.filePath(entry));
            subjects << file->subject().section(QStringLiteral(" From:"), 0, 0);
        }
        return subjects;
    }

    RunExit run(const QString& commandLine)
    {
        RunContext ctx;
        ctx.programFolder = bench_->env.home();
        RecordingPrintDevice* device = nullptr;  // the run's printer, which the run owns
        PrintRun printRun({ctx, *boxes_, *mailbox_, *fetcher_, *receipts_, nullTest_,
                           [] { return QStringList{QStringLiteral("Office Laser"), QStringLiteral("TORVEX PDF")}; },
                           [&](const QString&) {
                               auto made = std::make_unique<RecordingPrintDevice>();
                               made->failBeginAfterJobs = failBeginAfterJobs_;
                               device = made.get();
                               return made;
                           }});
        const RunExit exit = printRun.Main(commandLine);
        jobs_ = device ? device->jobs : std::vector<RecordingPrintDevice::Job>();
        return exit;
    }

    std::unique_ptr<test::RunBench> bench_;
    std::vector<RecordingPrintDevice::Job> jobs_;  // what the last run printed
    int failBeginAfterJobs_ = -1;
    std::unique_ptr<RecordingReceipts> receipts_;
    std::unique_ptr<ScriptedFetcher> fetcher_;
    std::unique_ptr<RecordingMessageBoxes> boxes_;
    std::unique_ptr<MaildirMailboxSystem> mailbox_;
    NoTestMessage nullTest_;
    QByteArray tiff_;
};

QTEST_MAIN(TestPrintRun)
#include "tst_print_run.moc"
