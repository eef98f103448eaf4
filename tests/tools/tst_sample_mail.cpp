// The sample mails are what tests and the demo feed the POP3 path, so they
// must decode back to exactly the text and files they were made from.
#include "printutil/mime_decoder.h"
#include "tests/support/test_env.h"
#include "tools/sample_mail.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

using namespace torvex;

namespace {

QByteArray rawFile(const QByteArray& message)
{
    return "+OK " + QByteArray::number(message.size()) + " octets\r\n" + message + ".\r\n";
}

QByteArray binary(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(7);
    for (char& byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

QByteArray fileContent(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

}  // namespace

class TestSampleMail : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void faxWithAttachmentsDecodesToTheSameFiles()
    {
        test::TestEnv env;
        tools::InternetFax fax;
        fax.to = QStringLiteral("torvex@127.0.0.1");
        fax.subject = QStringLiteral("Two files");
        fax.body = QStringLiteral("First line\nsecond line\n");
        fax.extraHeaders = tools::receiptRequestHeaders(QStringLiteral("sender@example.org"), true);
        const QByteArray tiff = binary(10001);
        const QByteArray note = "A note\r\nof two lines\r\n";
        fax.attachments.push_back({QStringLiteral("fax.tif"), QStringLiteral("image/tiff"), tiff});
        fax.attachments.push_back({QStringLiteral("note.txt"), QStringLiteral("text/plain"), note});
        const QByteArray mail = tools::composeInternetFax(fax);
        QVERIFY(!mail.contains("\n\n"));  // every line end is CR LF
        QVERIFY(mail.contains("\r\nDisposition-Notification-Options: G3Fax-report-request=required"));

        env.writeFile(QStringLiteral("In/1.TXT"), rawFile(mail));
        QVERIFY(QDir().mkpath(env.path(QStringLiteral("temp"))));
        MimeDecoder decoder(env.path(QStringLiteral("temp/")), fax.to);
        const std::optional<NewInboxMessage> message = decoder.decodeFile(env.path(QStringLiteral("In/1.TXT")));
        QVERIFY(message.has_value());
        QVERIFY2(message->text.contains(QStringLiteral("First line\r\nsecond line")), qPrintable(message->text));
        QCOMPARE(message->attachments.size(), size_t(2));
        QVERIFY(message->attachments[0].name.startsWith(QStringLiteral("fax.tif")));
        QCOMPARE(fileContent(message->attachments[0].sourcePath), tiff);
        QVERIFY(message->attachments[1].name.startsWith(QStringLiteral("note.txt")));
        QCOMPARE(fileContent(message->attachments[1].sourcePath), note);
    }

    void plainTextFaxKeepsItsText()
    {
        test::TestEnv env;
        tools::InternetFax fax;
        fax.to = QStringLiteral("torvex@127.0.0.1");
        fax.body = QStringLiteral("Only text\r\nhere");
        const QByteArray mail = tools::composeInternetFax(fax);
        QVERIFY(mail.endsWith("\r\n\r\nOnly text\r\nhere\r\n"));
        env.writeFile(QStringLiteral("In/1.TXT"), rawFile(mail));
        MimeDecoder decoder(env.path(QStringLiteral("temp/")), fax.to);
        const std::optional<NewInboxMessage> message = decoder.decodeFile(env.path(QStringLiteral("In/1.TXT")));
        QVERIFY(message.has_value());
        QVERIFY(message->attachments.empty());
        QVERIFY(message->text.contains(QStringLiteral("Only text\r\nhere")));
    }
};

QTEST_GUILESS_MAIN(TestSampleMail)
#include "tst_sample_mail.moc"
