#include "printutil/mime_decoder.h"
#include "platform/codec.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QtTest>

#include <sys/resource.h>

#include <memory>

using namespace torvex;

namespace {

const QString kAddr = QStringLiteral("user@torvex.example");

// A raw file as the POP3 client stores it: the status line, the message
// with CR LF line ends, the end-of-data line.
QByteArray rawFile(const QByteArray& message)
{
    return "+OK " + QByteArray::number(message.size()) + " octets\r\n" + message + ".\r\n";
}

QByteArray crlf(QByteArray text)
{
    return text.replace("\n", "\r\n");
}

qint64 peakRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Keeps what the decoder stores, with the attachments' contents read at
// once (the decoded files are removed right after).
class RecordingInbox final : public InboxWriter {
public:
    bool addToInbox(const NewInboxMessage& message) override
    {
        messages.push_back(message);
        contents.emplace_back();
        for (const auto& attachment : message.attachments) {
            QFile file(attachment.sourcePath);
            contents.back().push_back(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>"));
            paths.push_back(attachment.sourcePath);
        }
        return accept;
    }
    std::vector<NewInboxMessage> messages;
    std::vector<std::vector<QByteArray>> contents;
    QStringList paths;
    bool accept = true;
};

}  // namespace

class TestMimeDecoder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        env_ = std::make_unique<test::TestEnv>();
        QDir().mkpath(env_->path(QStringLiteral("temp")));
        temp_ = env_->path(QStringLiteral("temp")) + QLatin1Char('/');
        inbox_ = RecordingInbox();
    }
    void cleanup() { env_.reset(); }

    void plainTextKeepsHeaderBodyAndEndLine()
    {
        const QByteArray message = crlf(
            "From: Sender Office <sender@example.org>\n"
            "Subject: Fax page\n"
            "Date: Tue, 1 Jul 2003 10:52:37 +0200 (CEST)\n"
            "\n"
            "Hello\n"
            "-- \n"
            "Sig\n");
        const NewInboxMessage m = decode(rawFile(message));
        QCOMPARE(m.senderName, QStringLiteral("Sender Office <sender@example.org>"));
        QCOMPARE(m.subject, QStringLiteral("Fax page From: Sender Office <sender@example.org>"));
        QCOMPARE(m.timeSent, QDateTime::fromString(QStringLiteral("2003-07-01T10:52:37+02:00"), Qt::ISODate));
        QVERIFY(m.timeReceived.isValid());
        QCOMPARE(m.recipients, QStringList{QStringLiteral("SMTP:") + kAddr});
        const QString header = QStringLiteral("+OK ") + QString::number(message.size())
            + QStringLiteral(" octets\r\nFrom: Sender Office <sender@example.org>\r\nSubject: Fax page\r\n"
                             "Date: Tue, 1 Jul 2003 10:52:37 +0200 (CEST)\r\n\r\n");
        QCOMPARE(m.text, header + QStringLiteral("\r\n\r\nHello\r\n-- \r\nSig\r\n.\r\n"));
        QVERIFY(m.attachments.empty());
    }

    void bareAddressSenderAndMissingSubject()
    {
        const NewInboxMessage m = decode(rawFile(crlf("From: <a@b.example>\n\nx\n")));
        QCOMPARE(m.senderName, QStringLiteral("a@b.example"));
        QCOMPARE(m.subject, QStringLiteral("TORVEX  From: a@b.example"));
        QVERIFY(!m.timeSent.isValid());
    }

    void quotedPrintableBodyIsDecodedBeforeTheEndLine()
    {
        const NewInboxMessage m = decode(rawFile(crlf(
            "Content-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: quoted-printable\n\n"
            "caf=C3=A9 au =\nlait\n=2Edot\n")));
        QVERIFY2(m.text.endsWith(QStringLiteral("\r\n\r\ncafé au lait\r\n.dot\r\n.\r\n")), qPrintable(m.text));
    }

    void longSinglePartTextBecomesUnknownTxt()
    {
        QByteArray body;
        while (body.size() < 40000)
            body += "Line of a long fax cover text -- with dashes\r\n";
        const QByteArray message = "From: a@b\r\nSubject: long\r\n\r\n" + body;
        const NewInboxMessage m = decode(rawFile(message));
        QCOMPARE(m.attachments.size(), size_t(1));
        QCOMPARE(m.attachments[0].name, QStringLiteral("UNKNOWN.TXT;"));
        QCOMPARE(content(0), body);  // whole, without the end-of-data line
        QVERIFY(m.text.endsWith(QStringLiteral("\r\n\r\n\r\n\r\n")));
        QVERIFY(!m.text.contains(QStringLiteral("Line of a long")));
    }

    void multipartWithQuotedBoundary()
    {
        const QByteArray tiff("II*\0fake tiff bytes\xff\x00\x01", 22);
        const QByteArray message = crlf(
            "From: a@b\n"
            "Content-Type: multipart/mixed; boundary=\"=_b 1\"; charset=x\n"
            "\n"
            "This is a multi-part message in MIME format.\n"
            "--=_b 1\n"
            "Content-Type: text/plain\n"
            "\n"
            "Cover page\n"
            ".hidden\n"
            "--=_b 1\n"
            "Content-Type: image/tiff; name=\"fax.tif\"\n"
            "Content-Transfer-Encoding: base64\n"
            "\n") + EncodeBase64Lines(tiff) + crlf("--=_b 1--\nepilogue\n");
        const NewInboxMessage m = decode(rawFile(message));
        QVERIFY2(m.text.endsWith(QStringLiteral("\r\n\r\nCover page\r\n.hidden\r\n ")), qPrintable(m.text));
        QCOMPARE(m.attachments.size(), size_t(1));
        QCOMPARE(m.attachments[0].name, QStringLiteral("fax.tif;"));
        QCOMPARE(content(0), tiff);
    }

    void foldedBoundaryAndUnnamedImage()
    {
        const QByteArray message = crlf(
            "Content-Type: multipart/mixed;\n"
            "\tboundary=XYZ\n"
            "\n"
            "--XYZ\n"
            "Content-Type: image/tiff\n"
            "Content-Transfer-Encoding: base64\n"
            "\n"
            "SUkqAA==\n"
            "--XYZ\n"
            "Content-Type: application/pdf\n"
            "\n"
            "%PDF\n"
            "--XYZ--\n");
        const NewInboxMessage m = decode(rawFile(message));
        QCOMPARE(m.attachments.size(), size_t(2));
        QCOMPARE(m.attachments[0].name, QStringLiteral("UNKNOWN.TIF;"));
        QCOMPARE(content(0), QByteArray("II*\0", 4));
        QCOMPARE(m.attachments[1].name, QStringLiteral("UNKNOWN.TXT;"));
        QCOMPARE(content(1), QByteArray("%PDF\r\n"));
        // No text part: the text is still the header, so the run knows where it came from.
        QVERIFY(m.text.startsWith(QStringLiteral("+OK ")));
    }

    void quotedPrintableTextFileIsAttachedOnceDecoded()
    {
        const QByteArray message = crlf(
            "Content-Type: multipart/alternative; boundary=b\n"
            "\n"
            "--b\n"
            "Content-Type: text/plain; name=\"note.txt\"\n"
            "Content-Transfer-Encoding: quoted-printable\n"
            "\n"
            "a=3Db\n"
            "--b\n"
            "Content-Disposition: attachment; filename=\"other.txt\"\n"
            "Content-Type: text/plain; name=\"ignored.txt\"\n"
            "Content-Transfer-Encoding: quoted-printable\n"
            "\n"
            "second=20part\n"
            "--b\n"
            "Content-Type: image/tiff\n"
            "\n"
            "raw\n"
            "--b--\n");
        const NewInboxMessage m = decode(rawFile(message));
        QCOMPARE(m.attachments.size(), size_t(3));
        QCOMPARE(m.attachments[0].name, QStringLiteral("note.txt;"));
        QCOMPARE(content(0), QByteArray("a=b\r\n"));
        // The disposition's name wins, and each part keeps its own content.
        QCOMPARE(m.attachments[1].name, QStringLiteral("other.txt;"));
        QCOMPARE(content(1), QByteArray("second part\r\n"));
        // A part without a name does not inherit the one before it.
        QCOMPARE(m.attachments[2].name, QStringLiteral("UNKNOWN.TIF;"));
        QCOMPARE(content(2), QByteArray("raw\r\n"));
    }

    void twoTextPartsBothKept()
    {
        const NewInboxMessage m = decode(rawFile(crlf(
            "Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain\n\nfirst\n--b\n"
            "Content-Type: text/plain\nContent-Transfer-Encoding: base64\n\nc2Vjb25k\n--b--\n")));
        QVERIFY2(m.text.endsWith(QStringLiteral("\r\n\r\nfirst\r\nsecond ")), qPrintable(m.text));
    }

    void unterminatedTextPartIsKept()
    {
        const NewInboxMessage m = decode(rawFile(crlf("Content-Type: multipart/mixed; boundary=b\n\n--b\ncontent-type: TEXT/plain\n\ncut off\n")));
        QVERIFY2(m.text.contains(QStringLiteral("cut off")), qPrintable(m.text));
    }

    void missingBoundary()
    {
        const QByteArray body = crlf("first body line\n--whatever\nmore\n");
        const NewInboxMessage m = decode(rawFile("Content-Type: multipart/mixed\r\n\r\n" + body));
        QVERIFY(m.text.contains(QStringLiteral("\r\n\r\nX-VX-Error: MISSING BOUNDARY\r\n")));
        QVERIFY(m.text.endsWith(QStringLiteral("\r\n\r\nThe incoming TORVEX may have been corrupted.")));
        QCOMPARE(m.attachments.size(), size_t(1));
        QCOMPARE(m.attachments[0].name, QStringLiteral("UNKNOWN.TXT;"));
        QCOMPARE(content(0), body);
    }

    void singleOctetStreamFile()
    {
        const QByteArray data("binary\0data", 11);
        const NewInboxMessage m = decode(rawFile(
            "Content-Type: application/octet-stream; name=\"ct.tif\"\r\n"
            "Content-Transfer-Encoding: base64\r\n"
            "Content-Disposition: attachment; filename=\"page.tif\"\r\n\r\n" + EncodeBase64Lines(data)));
        QCOMPARE(m.attachments.size(), size_t(1));
        QCOMPARE(m.attachments[0].name, QStringLiteral("page.tif;"));
        QCOMPARE(content(0), data);

        // Without a transfer encoding it arrives as the corrupted case.
        const NewInboxMessage bare = decode(rawFile(crlf("Content-Type: application/octet-stream\n\nAAAA\n")));
        QVERIFY(bare.text.contains(QStringLiteral("X-VX-Error: MISSING BOUNDARY")));
        QCOMPARE(bare.attachments.at(0).name, QStringLiteral("UNKNOWN.TXT;"));
    }

    void uuencodedPart()
    {
        const NewInboxMessage m = decode(rawFile(crlf(
            "Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain; name=cat.txt\n"
            "Content-Transfer-Encoding: x-uuencode\n\nbegin 644 cat.txt\n#0V%T\n`\nend\n--b--\n")));
        QCOMPARE(m.attachments.at(0).name, QStringLiteral("cat.txt;"));
        QCOMPARE(content(0), QByteArray("Cat"));
    }

    void hostileNamesStayInsideTheTempFolder_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("parent") << QByteArray("../../escaped.tif");
        QTest::newRow("absolute") << QByteArray("/tmp/escaped.tif");
        QTest::newRow("option") << QByteArray("-rf.tif");
        QTest::newRow("nul") << QByteArray("a\0b.tif", 7);
        QTest::newRow("semicolon") << QByteArray("a;b.tif");
        QTest::newRow("dots") << QByteArray("..");
        QTest::newRow("long") << QByteArray(10000, 'n') + ".tif";
    }

    void hostileNamesStayInsideTheTempFolder()
    {
        QFETCH(QByteArray, name);
        const QByteArray message = "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
                                   "Content-Type: image/tiff; name=\"" + name + "\"\r\n"
                                   "Content-Transfer-Encoding: base64\r\n\r\nSUkqAA==\r\n--b--\r\n";
        const NewInboxMessage m = decode(rawFile(message));
        QCOMPARE(m.attachments.size(), size_t(1));
        const QString shown = m.attachments[0].name;
        QVERIFY(!shown.contains(QLatin1Char('/')) && !shown.contains(QChar(0)));
        QVERIFY(shown.size() <= 256);
        QCOMPARE(shown.indexOf(QLatin1Char(';')), shown.size() - 1);
        QCOMPARE(QFileInfo(inbox_.paths.at(0)).absolutePath(), QFileInfo(temp_).absolutePath());
        QCOMPARE(content(0), QByteArray("II*\0", 4));
        if (name.endsWith(".tif") && !name.contains(';'))
            QVERIFY(shown.endsWith(QStringLiteral(".tif;")));
        // Nothing was written anywhere but the temp folder.
        QVERIFY(!QFile::exists(env_->path(QStringLiteral("escaped.tif"))));
        QVERIFY(!QFile::exists(QStringLiteral("/tmp/escaped.tif")));
        // The decoded files are gone once the message is stored.
        QVERIFY(QDir(temp_).isEmpty());
    }

    void hugeLineWithoutLineEndsStaysInBoundedMemory()
    {
        const QString path = env_->path(QStringLiteral("In/1.TXT"));
        QDir().mkpath(env_->path(QStringLiteral("In")));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("+OK 1 octets\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\n");
        const QByteArray chunk(1024 * 1024, 'x');
        for (int i = 0; i < 50; ++i)
            file.write(chunk);  // a text part of 50 MB on one line
        file.write("\r\n--b\r\nContent-Type: image/tiff; name=big.tif\r\nContent-Transfer-Encoding: base64\r\n\r\n");
        const QByteArray base64Chunk(1024 * 1024, 'A');
        for (int i = 0; i < 100; ++i)
            file.write(base64Chunk);  // a file part of 100 MB on one line
        file.write("\r\n--b--\r\n.\r\n");
        file.close();

        const qint64 before = peakRssKb();
        MimeDecoder decoder(temp_, kAddr);
        QVERIFY(DecodeIntoInboxSizes(decoder, path));
        const qint64 grown = peakRssKb() - before;
        QVERIFY2(grown < 64 * 1024, qPrintable(QStringLiteral("peak memory grew by %1 KB").arg(grown)));
    }

    void messageKeptWhenTheInboxRefusesIt()
    {
        inbox_.accept = false;
        const QString path = env_->path(QStringLiteral("In/1.TXT"));
        env_->writeFile(QStringLiteral("In/1.TXT"), rawFile("Subject: x\r\n\r\nbody\r\n"));
        MimeDecoder decoder(temp_, kAddr);
        QVERIFY(!DecodeIntoInbox(decoder, path, inbox_));
        QCOMPARE(inbox_.messages.size(), size_t(1));
    }

private:
    NewInboxMessage decode(const QByteArray& raw)
    {
        env_->writeFile(QStringLiteral("In/1.TXT"), raw);
        MimeDecoder decoder(temp_, kAddr);
        const size_t before = inbox_.messages.size();
        if (!DecodeIntoInbox(decoder, env_->path(QStringLiteral("In/1.TXT")), inbox_) || inbox_.messages.size() != before + 1)
            return {};
        return inbox_.messages.back();
    }

    // For the large case: only sizes are kept, not the contents.
    bool DecodeIntoInboxSizes(MimeDecoder& decoder, const QString& path)
    {
        const std::optional<NewInboxMessage> m = decoder.decodeFile(path);
        if (!m || m->attachments.size() != 1)
            return false;
        const qint64 decoded = QFileInfo(m->attachments[0].sourcePath).size();
        QFile::remove(m->attachments[0].sourcePath);
        return decoded == 100LL * 1024 * 1024 / 4 * 3 && m->text.size() < 4 * 1024 * 1024;
    }

    QByteArray content(size_t index) const
    {
        const auto& last = inbox_.contents.back();
        return index < last.size() ? last[index] : QByteArray("<none>");
    }

    std::unique_ptr<test::TestEnv> env_;
    QString temp_;
    RecordingInbox inbox_;
};

QTEST_GUILESS_MAIN(TestMimeDecoder)
#include "tst_mime_decoder.moc"
