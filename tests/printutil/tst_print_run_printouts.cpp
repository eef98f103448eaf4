// Whole runs of vxprintu onto real printers: the built-in PDF printer read
// back with pdfinfo and pdftotext, a CUPS queue of a cupsd the test
// starts, and a TORVEX fetched from Dovecot all the way to paper.
#include "common/telvane_info.h"
#include "platform/maildir_store.h"
#include "printutil/maildir_mailbox.h"
#include "tests/support/cups_server.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/pdf_reader.h"
#include "tests/support/test_env.h"
#include "tools/sample_fax.h"
#include "tools/sample_inbox.h"

#include <QDir>
#include <QtTest>

#include <memory>

using namespace torvex;
using namespace torvex::tools;

namespace {

const QString kUser = QStringLiteral("user@torvex.net");
// Pages of the jobs the sample Inbox prints, in order: header block and
// 3-page fax; header block and text file; header block and fax of the
// message with a rejected file; the 2-page regular fax.
const QList<int> kJobPages{1, 3, 1, 1, 1, 3, 2};

QByteArray faxTiff(const QString& folder, int pages)
{
    SampleFaxOptions options;
    options.pages = pages;
    options.fine = false;
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/fax%1.tif").arg(pages);
    if (!writeSampleFaxTiff(path, options, FaxCompression::Group3))
        return {};
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestPrintRunPrintouts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        env_ = std::make_unique<test::TestEnv>();
        QVERIFY(QDir().mkpath(profileRoot()));
        writeTorvexKey(QStringLiteral("Torvex_Profile"), QStringLiteral("TORVEX"));
        writeTorvexKey(QStringLiteral("Torvex_Addr"), kUser);
        writeTorvexKey(QStringLiteral("Printer_Type"), QStringLiteral("TORVEX PDF"));
    }
    void cleanup() { env_.reset(); }

    void pdfPrinterPrintsTheWholeInbox()
    {
        fillInbox();
        const test::ProcessResult run = test::runProgram(QStringLiteral("vxprintu"), {QStringLiteral("/6")}, 120000);
        QVERIFY2(run.finished && run.exitCode == 0, run.err.constData());
        checkSummaryAndFolders();

        const QString folder = env_->path(QStringLiteral("Printouts"));
        const QStringList pdfs = QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
        QList<int> pages;
        QStringList texts;
        for (const QString& pdf : pdfs) {
            pages << test::pdfPageCount(folder + QLatin1Char('/') + pdf);
            texts << test::pdfText(folder + QLatin1Char('/') + pdf, test::PdfLayout::Physical).value_or(QString()).simplified();
        }
        QCOMPARE(pages, kJobPages);
        const QString& first = texts[0];
        for (const char* expected : {"To: user@torvex.net", "From: Sender Office <sender@example.org>",
                                     "Sent: Tue, 5 Mar 2024 10:20:30 +0100", "TORVEXes: FAX.TIF Valid TORVEX Format",
                                     "Subject: three page fax From: Sender Office <sender@example.org>",
                                     "Message text of three page fax"})
            QVERIFY2(first.contains(QLatin1String(expected)), qPrintable(first + QStringLiteral(" / ") + QLatin1String(expected)));
        QVERIFY(first.contains(QStringLiteral("Received: ")) && first.contains(QStringLiteral("Processed: ")));
        QVERIFY(texts[3].contains(QStringLiteral("Page No. 1")));
        QVERIFY(texts[3].contains(QStringLiteral("Dear user, here is the note.")));
        QVERIFY2(texts[4].contains(QStringLiteral("FAX.TIF Valid TORVEX Format LETTER.DOC; Invalid File Format")),
                 qPrintable(texts[4]));
    }

    void cupsQueueGetsJobsOfTheRightPageCounts()
    {
        if (!test::CupsServer::available())
            QSKIP("cupsd is not installed (tools/debian-packages.txt lists cups)");
        test::CupsServer cups;
        QVERIFY2(cups.start(), qPrintable(cups.log()));
        QVERIFY2(cups.addFileQueue(QStringLiteral("Fax_Printer"), env_->path(QStringLiteral("printed.ps"))),
                 qPrintable(cups.log()));
        writeTorvexKey(QStringLiteral("Printer_Type"), QStringLiteral("Fax_Printer"));
        fillInbox();
        const test::ProcessResult run = test::runProgram(QStringLiteral("vxprintu"), {QStringLiteral("/6")}, 180000,
                                                         {QStringLiteral("CUPS_SERVER=") + cups.address()});
        QVERIFY2(run.finished && run.exitCode == 0, run.err.constData());
        QCOMPARE(readTorvexKey(QStringLiteral("print_status")), QStringLiteral(" Printed 2 TORVEXes + 1 Regular Faxes"));
        checkSummaryAndFolders();
        const QMap<int, int> jobs = cups.finishedJobPages(QStringLiteral("Fax_Printer"), int(kJobPages.size()));
        QCOMPARE(jobs.values(), kJobPages);
        QVERIFY(env_->readFile(QStringLiteral("printed.ps")).startsWith("%!PS"));
        QVERIFY(!QFileInfo::exists(env_->path(QStringLiteral("Printouts"))) || QDir(env_->path(QStringLiteral("Printouts"))).isEmpty());
    }

    // A plain-text TORVEX from Dovecot: every line the sender wrote is
    // printed once, dots as written, and only the end-of-data line goes.
    void fetchedTorvexReachesPaperWhole()
    {
        if (!test::DovecotServer::available())
            QSKIP("dovecot is not installed (tools/debian-packages.txt lists dovecot-pop3d)");
        test::DovecotServer dovecot;
        QVERIFY2(dovecot.start(), qPrintable(dovecot.log()));
        writeTorvexKey(QStringLiteral("Torvex_Addr"), dovecot.user() + QStringLiteral("@127.0.0.1"));
        writeTorvexKey(QStringLiteral("Password"), dovecot.password());
        dovecot.deliver("From: Sender Office <sender@127.0.0.1>\r\n"
                        "To: torvex@127.0.0.1\r\n"
                        "Subject: dotted lines\r\n"
                        "Date: Tue, 5 Mar 2024 10:20:30 +0100\r\n"
                        "\r\n"
                        "above the dots\r\n"
                        ".hidden\r\n"
                        ".\r\n"
                        "MAIL FROM:<x@example.org>\r\n"
                        "last line\r\n");
        const test::ProcessResult run = test::runProgram(
            QStringLiteral("vxprintu"), {QStringLiteral("/0")}, 120000,
            {QStringLiteral("TORVEX_POP3_PORT=%1").arg(dovecot.port()), QStringLiteral("TORVEX_TIME_SCALE=30")});
        QVERIFY2(run.finished && run.exitCode == 0, run.err.constData());
        QCOMPARE(readTorvexKey(QStringLiteral("session")), QStringLiteral("1,0,0,0"));
        const QString folder = env_->path(QStringLiteral("Printouts"));
        const QStringList pdfs = QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
        QCOMPARE(pdfs.size(), 1);
        const QString raw = test::pdfText(folder + QLatin1Char('/') + pdfs[0], test::PdfLayout::Physical).value_or(QString());
        QStringList lines;
        for (const QString& line : raw.split(QLatin1Char('\n')))
            lines << line.trimmed();
        const qsizetype above = lines.indexOf(QStringLiteral("above the dots"));
        QVERIFY2(above > 0, qPrintable(raw));
        QCOMPARE(lines.mid(above, 5), (QStringList{QStringLiteral("above the dots"), QStringLiteral(".hidden"),
                                                  QStringLiteral("."), QStringLiteral("MAIL FROM:<x@example.org>"),
                                                  QStringLiteral("last line")}));
        QVERIFY(!raw.contains(QStringLiteral("..hidden")));
        QTRY_VERIFY(dovecot.messages().isEmpty());
    }

private:
    QString profileRoot() const { return env_->path(QStringLiteral("profiles/TORVEX")); }

    SampleTorvex torvex(const QString& subject, std::vector<SampleTorvex::Attachment> attachments) const
    {
        SampleTorvex sample;
        sample.to = kUser;
        sample.subject = subject;
        sample.body = QStringLiteral("Message text of ") + subject + QStringLiteral("\r\n.\r\n");
        sample.attachments = std::move(attachments);
        return sample;
    }

    void fillInbox()
    {
        const QString work = env_->path(QStringLiteral("work"));
        const QByteArray three = faxTiff(work, 3);
        const QByteArray two = faxTiff(work, 2);
        QVERIFY(!three.isEmpty() && !two.isEmpty());
        MaildirMailboxSystem mailbox(env_->home());
        QVERIFY(mailbox.SessionLogIn(QStringLiteral("TORVEX")));
        std::vector<SampleTorvex> samples;
        samples.push_back(torvex(QStringLiteral("three page fax"), {{QStringLiteral("fax.tif;"), three}}));
        samples.push_back(torvex(QStringLiteral("text attachment"),
                                 {{QStringLiteral("note.txt;"), "Dear user,\r\nhere is the note.\r\n"}}));
        samples.push_back(torvex(QStringLiteral("rejected type"),
                                 {{QStringLiteral("fax.tif;"), three}, {QStringLiteral("letter.doc;"), "DOC"}}));
        SampleTorvex report = torvex(QStringLiteral("receipt from elsewhere"), {});
        report.contentType = QStringLiteral("multipart/report; report-type=disposition-notification; boundary=r");
        samples.push_back(report);
        SampleTorvex regular = torvex(QStringLiteral("regular fax"), {{QStringLiteral("fax.tif;"), two}});
        regular.messageClass = QStringLiteral("IPM.Note.Fax");
        samples.push_back(regular);
        SampleTorvex other = torvex(QStringLiteral("for someone else"), {{QStringLiteral("fax.tif;"), three}});
        other.to = QStringLiteral("someone@torvex.net");
        samples.push_back(other);
        for (const SampleTorvex& sample : samples)
            QVERIFY(addSampleTorvex(mailbox, sample, work));
    }

    int countIn(const QStringList& folder) const
    {
        return int(MaildirFolder(profileRoot(), folder).messages().size());
    }

    void checkSummaryAndFolders() const
    {
        QCOMPARE(readTorvexKey(QStringLiteral("session")), QStringLiteral("2,1,1,0"));
        QCOMPARE(readTorvexKey(QStringLiteral("VXPrint")), QStringLiteral("quit"));
        QCOMPARE(readTorvexKey(QStringLiteral("last_error"), QStringLiteral("absent")), QString());
        QCOMPARE(countIn({}), 1);
        QCOMPARE(countIn({QStringLiteral("TORVEXes"), QStringLiteral("Printed")}), 2);
        QCOMPARE(countIn({QStringLiteral("TORVEXes"), QStringLiteral("Unprintable")}), 1);
        QCOMPARE(countIn({QStringLiteral("Deleted Items")}), 1);
        QCOMPARE(countIn({QStringLiteral("Regular Faxes"), QStringLiteral("Printed")}), 1);
    }

    std::unique_ptr<test::TestEnv> env_;
};

QTEST_MAIN(TestPrintRunPrintouts)
#include "tst_print_run_printouts.moc"
