// The fax log over a profile's Maildir as the print run leaves it: filed
// messages in the four folders, receipts waiting in Out/ and kept in MDNs/.
#include "printutil/decode/inbox_file.h"
#include "printutil/receipt/mdn_compose.h"
#include "platform/maildir/filed_folders.h"
#include "platform/maildir/maildir_store.h"
#include "scheduler/desktop/fax_log_model.h"
#include "tests/support/test_env.h"
#include "tools/sample_fax.h"
#include "tools/sample_inbox.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace torvex;
using namespace torvex::tools;

class TestFaxLog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each row one filed fax; the log lists them newest first with what
    // the message and its receipt say.
    void listsFiledFaxes_data()
    {
        QTest::addColumn<int>("folder");  // index into filedFolders()
        QTest::addColumn<int>("faxPages");
        QTest::addColumn<QString>("receipt");  // the folder it is in, if any
        QTest::addColumn<int>("receiptPages");
        QTest::addColumn<QString>("pages");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("receiptText");
        // Newest last in the table: each row arrived a minute after the one before.
        QTest::newRow("printed, receipt sent") << 0 << 2 << "MDNs" << 3 << "3" << "Printed" << "Sent";
        QTest::newRow("unprintable, receipt waits") << 1 << 1 << "Out" << 1 << "1" << "Unprintable" << "Waiting in Out/";
        QTest::newRow("regular fax, no receipt") << 2 << 4 << "" << 0 << "4" << "Regular fax printed" << "";
        QTest::newRow("text only, no receipt") << 0 << 0 << "" << 0 << "" << "Printed" << "";
    }
    void listsFiledFaxes()
    {
        QFETCH(int, folder);
        QFETCH(int, faxPages);
        QFETCH(QString, receipt);
        QFETCH(int, receiptPages);
        QFETCH(QString, pages);
        QFETCH(QString, outcome);
        QFETCH(QString, receiptText);
        const int n = rows_++;
        const QString id = QStringLiteral("<fax%1@example.org>").arg(n);
        file(folder, 1'700'000'000 + 60 * n, QStringLiteral("fax %1").arg(n), id, faxPages);
        if (!receipt.isEmpty())
            writeReceipt(receipt, id, receiptPages, n);

        FaxLogModel model([this] { return FaxLogModel::Source{root(), dir_.path()}; });
        QCOMPARE(model.rowCount(), rows_);
        // The newest is the one just filed.
        QStringList cells;
        for (const int column : {FaxLogModel::Subject, FaxLogModel::From, FaxLogModel::Pages, FaxLogModel::Outcome, FaxLogModel::Receipt})
            cells << model.index(0, column).data().toString();
        QCOMPARE(cells, (QStringList{QStringLiteral("fax %1").arg(n), QStringLiteral("Sender Office <sender@example.org>"), pages,
                                     outcome, receiptText}));
        QCOMPARE(model.log().entry(0).received, QDateTime::fromSecsSinceEpoch(1'700'000'000 + 60 * n));
        QVERIFY(filedFolderOf(model.index(0, 0).data(FaxLogModel::MessageIdRole).toString()).has_value());
        QCOMPARE(model.log().writeFaxFiles(0).size(), faxPages > 0 ? 1 : 0);
    }

    // A long log is handed to the view in batches, and reading a row reads
    // that message only.
    void longLogComesInBatches()
    {
        QTemporaryDir dir;
        const MaildirFolder printed(dir.filePath(QStringLiteral("maildir")), filedFolders()[0].namePath);
        QVERIFY(printed.create());
        const int count = FaxLogModel::kBatch + 5;
        for (int i = 0; i < count; ++i)
            QVERIFY(deliverToMaildir(printed, "Subject: fax\r\n\r\n", QStringLiteral("%1.M1P1Q%2.test").arg(1'700'000'000 + i).arg(i)));
        FaxLogModel model([&dir] { return FaxLogModel::Source{dir.filePath(QStringLiteral("maildir")), dir.path()}; });
        QCOMPARE(model.rowCount(), FaxLogModel::kBatch);
        QVERIFY(model.canFetchMore({}));
        model.fetchMore({});
        QCOMPARE(model.rowCount(), count);
        QVERIFY(!model.canFetchMore({}));
        QCOMPARE(model.log().entry(count - 1).received, QDateTime::fromSecsSinceEpoch(1'700'000'000));
    }

private:
    QString root() const { return dir_.filePath(QStringLiteral("profiles/TORVEX")); }

    // A message as the print run files it: written by the Inbox, moved
    // into the filed folder, named by its time of delivery.
    void file(int folderIndex, qint64 seconds, const QString& subject, const QString& messageId, int faxPages)
    {
        SampleTorvex sample;
        sample.to = QStringLiteral("user@torvex.net");
        sample.subject = subject;
        sample.messageId = messageId;
        sample.body = QStringLiteral("Text\r\n");
        if (faxPages > 0) {
            const QByteArray fax
                = test::sampleFaxTiff(dir_.filePath(QStringLiteral("fax.tif")), faxPages, FaxCompression::Group4);
            QVERIFY(!fax.isEmpty());
            sample.attachments.push_back({QStringLiteral("fax.tif;"), fax});
        }
        NewInboxMessage message = sampleInboxMessage(sample, dir_.filePath(QStringLiteral("work")));
        message.subject = subject;
        message.timeReceived = QDateTime::fromSecsSinceEpoch(seconds);
        QBuffer content;
        content.open(QIODevice::WriteOnly);
        QVERIFY(writeInboxFile(message, content));
        const MaildirFolder folder(root(), filedFolders()[size_t(folderIndex)].namePath);
        QVERIFY(folder.create());
        QVERIFY(deliverToMaildir(folder, content.data(), QStringLiteral("%1.M1P1Q1.test").arg(seconds)));
    }

    void writeReceipt(const QString& folder, const QString& messageId, int pages, int n)
    {
        ReceiptRequest request;
        request.disposition = ReceiptDisposition::Processed;
        request.receivedId = messageId;
        request.pageCount = QString::number(pages);
        const QDateTime now = QDateTime::currentDateTime().addSecs(n);
        QDir().mkpath(dir_.filePath(folder));
        QFile out(dir_.filePath(folder + QLatin1Char('/') + timeStamp(now) + QStringLiteral(".MDN")));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(composeMdnText(request, QStringLiteral("sender@example.org"), QStringLiteral("user@torvex.net"), now, now).toUtf8());
    }

    QTemporaryDir dir_;
    int rows_ = 0;
};

QTEST_MAIN(TestFaxLog)
#include "tst_fax_log.moc"
