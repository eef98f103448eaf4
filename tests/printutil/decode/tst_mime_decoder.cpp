#include "printutil/decode/mime_decoder.h"
#include "platform/codec/codec.h"
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

    // A single-part text: its sender, subject and date, and its text the
    // header, the body decoded and the end-of-data line as it came.
    void singlePartText_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QDateTime>("sent");
        QTest::addColumn<QString>("body");
        QTest::newRow("named sender")
            << crlf("From: Sender Office <sender@example.org>\nSubject: Fax page\n"
                    "Date: Tue, 1 Jul 2003 10:52:37 +0200 (CEST)\n\nHello\n-- \nSig\n")
            << "Sender Office <sender@example.org>" << "Fax page From: Sender Office <sender@example.org>"
            << QDateTime::fromString(QStringLiteral("2003-07-01T10:52:37+02:00"), Qt::ISODate)
            << "Hello\r\n-- \r\nSig\r\n";
        QTest::newRow("address alone, no subject") << crlf("From: <a@b.example>\n\nx\n") << "a@b.example"
                                                   << "TORVEX  From: a@b.example" << QDateTime() << "x\r\n";
        QTest::newRow("quoted-printable")
            << crlf("Content-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: quoted-printable\n\n"
                    "caf=C3=A9 au =\nlait\n=2Edot\n")
            << "" << "TORVEX  From: " << QDateTime() << "caf\u00e9 au lait\r\n.dot\r\n";
    }
    void singlePartText()
    {
        QFETCH(QByteArray, message);
        QFETCH(QString, sender);
        QFETCH(QString, subject);
        QFETCH(QDateTime, sent);
        QFETCH(QString, body);
        const NewInboxMessage m = decode(rawFile(message));
        QCOMPARE(m.senderName, sender);
        QCOMPARE(m.subject, subject);
        QCOMPARE(m.timeSent, sent);
        QVERIFY(m.timeReceived.isValid());
        QCOMPARE(m.recipients, QStringList{QStringLiteral("SMTP:") + kAddr});
        const QByteArray header = "+OK " + QByteArray::number(message.size()) + " octets\r\n"
            + message.left(message.indexOf("\r\n\r\n") + 4);
        QCOMPARE(m.text, QString::fromUtf8(header) + QStringLiteral("\r\n\r\n") + body + QStringLiteral(".\r\n"));
        QVERIFY(m.attachments.empty());
    }

    void longSinglePartTextBecomesUnknownTxt()
    {
        const QByteArray body = QByteArray("Line of a long fax cover text -- with dashes\r\n").repeated(870);
        const QByteArray message = "From: a@b\r\nSubject: long\r\n\r\n" + body;
        const NewInboxMessage m = decode(rawFile(message));
        QCOMPARE(m.attachments.size(), size_t(1));
        QCOMPARE(m.attachments[0].name, QStringLiteral("UNKNOWN.TXT;"));
        QCOMPARE(content(0), body);  // whole, without the end-of-data line
        QVERIFY(m.text.endsWith(QStringLiteral("\r\n\r\n\r\n\r\n")));
        QVERIFY(!m.text.contains(QStringLiteral("Line of a long")));
    }

    // Shapes mail programs write: what the message text holds (and must
    // not hold), and the files it carries with their contents. The shapes
    // Python's email package, mutt, s-nail and mpack write themselves (file
    // names in RFC 2231 and 2047, folded part headers, alternatives with
    // related parts, a single image body, a lone dot) are the printouts
    // test's, which fetches them from Dovecot and
    // prints them; these are the ones they do not write.
    void mailShapes_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<QByteArray>>("contents");  // empty: not compared
        QTest::addColumn<QStringList>("textHas");
        QTest::addColumn<QStringList>("textLacks");

        const QByteArray tiff("II*\0fake tiff bytes\xff\x00\x01", 22);
        const QByteArray tiffBase64 = EncodeBase64Lines(tiff);
        QTest::newRow("quoted boundary")
            << crlf("From: a@b\nContent-Type: multipart/mixed; boundary=\"=_b 1\"; charset=x\n\n"
                    "This is a multi-part message in MIME format.\n--=_b 1\nContent-Type: text/plain\n\n"
                    "Cover page\n.hidden\n--=_b 1\nContent-Type: image/tiff; name=\"fax.tif\"\n"
                    "Content-Transfer-Encoding: base64\n\n") + tiffBase64 + crlf("--=_b 1--\nepilogue\n")
            << QStringList{"fax.tif;"} << QList<QByteArray>{tiff}
            << QStringList{"\r\n\r\nCover page\r\n.hidden\r\n "} << QStringList{"epilogue", "multi-part"};
        QTest::newRow("folded boundary, unnamed parts")
            << crlf("Content-Type: multipart/mixed;\n\tboundary=XYZ\n\n--XYZ\nContent-Type: image/tiff\n"
                    "Content-Transfer-Encoding: base64\n\nSUkqAA==\n--XYZ\nContent-Type: application/pdf\n\n%PDF\n--XYZ--\n")
            << QStringList{"UNKNOWN.TIF;", "UNKNOWN.TXT;"} << QList<QByteArray>{QByteArray("II*\0", 4), "%PDF"}
            << QStringList{"+OK "} << QStringList{"%PDF"};
        QTest::newRow("names from either field, each part its own")
            << crlf("Content-Type: multipart/alternative; boundary=b\n\n--b\n"
                    "Content-Type: text/plain; name=\"note.txt\"\nContent-Transfer-Encoding: quoted-printable\n\na=3Db\n"
                    "--b\nContent-Disposition: attachment; filename=\"other.txt\"\n"
                    "Content-Type: text/plain; name=\"ignored.txt\"\nContent-Transfer-Encoding: quoted-printable\n\n"
                    "second=20part\n--b\nContent-Type: image/tiff\n\nraw\n--b--\n")
            << QStringList{"note.txt;", "other.txt;", "UNKNOWN.TIF;"} << QList<QByteArray>{"a=b", "second part", "raw"}
            << QStringList{} << QStringList{};
        QTest::newRow("text parts add up")
            << crlf("Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain\n\nfirst\n--b\n"
                    "Content-Type: text/plain\nContent-Transfer-Encoding: base64\n\nc2Vjb25k\n--b--\n")
            << QStringList{} << QList<QByteArray>{} << QStringList{"\r\n\r\nfirst\r\nsecond\r\n "} << QStringList{};
        QTest::newRow("unterminated text part")
            << crlf("Content-Type: multipart/mixed; boundary=b\n\n--b\ncontent-type: TEXT/plain\n\ncut off\n")
            << QStringList{} << QList<QByteArray>{} << QStringList{"cut off"} << QStringList{};
        QTest::newRow("uuencoded")
            << crlf("Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain; name=cat.txt\n"
                    "Content-Transfer-Encoding: x-uuencode\n\nbegin 644 cat.txt\n#0V%T\n`\nend\n--b--\n")
            << QStringList{"cat.txt;"} << QList<QByteArray>{"Cat"} << QStringList{} << QStringList{};
        QTest::newRow("HTML only, as plain text")
            << crlf("Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/html; charset=utf-8\n\n"
                    "<html><head><style>p {}</style></head><body><p>Dear&nbsp;user,</p><p>caf&eacute; &amp; more</p>"
                    "</body></html>\n--b--\n")
            << QStringList{} << QList<QByteArray>{} << QStringList{"Dear user,\r\ncaf"} << QStringList{"<p>", "p {}"};
        QTest::newRow("single-part named octet-stream")
            << crlf("Content-Type: application/octet-stream; name=\"ct.tif\"\nContent-Transfer-Encoding: base64\n"
                    "Content-Disposition: attachment; filename=\"scan.tiff\"\n\n")
                + tiffBase64
            << QStringList{"scan.tiff;"} << QList<QByteArray>{tiff} << QStringList{} << QStringList{};
        QTest::newRow("binary text part is a file")
            << crlf("Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain\n"
                    "Content-Transfer-Encoding: base64\n\n") + tiffBase64 + crlf("--b--\n")
            << QStringList{"UNKNOWN.TXT;"} << QList<QByteArray>{tiff} << QStringList{} << QStringList{"II*"};
        QTest::newRow("charsets")
            << crlf("Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain; charset=iso-8859-1\n\n"
                    "latin caf\xe9\n--b\nContent-Type: text/plain\n\nundeclared caf\xc3\xa9\n--b--\n")
            << QStringList{} << QList<QByteArray>{} << QStringList{"latin caf\u00e9\r\nundeclared caf\u00e9\r\n "}
            << QStringList{};
        QTest::newRow("forwarded message, nested deeply")
            << crlf("Content-Type: multipart/mixed; boundary=1\n\n--1\nContent-Type: text/plain\n\nsee below\n--1\n"
                    "Content-Type: message/rfc822\n\nFrom: x@y\nSubject: inner\nContent-Type: multipart/mixed; boundary=2\n\n"
                    "--2\nContent-Type: text/plain\n\ninner text\n--2\nContent-Type: multipart/mixed; boundary=3\n\n"
                    "--3\nContent-Type: image/tiff; name=deep.tif\nContent-Transfer-Encoding: base64\n\n")
                + tiffBase64 + crlf("--3--\n--2--\n--1--\n")
            << QStringList{"deep.tif;"} << QList<QByteArray>{tiff} << QStringList{"see below\r\ninner text\r\n "}
            << QStringList{"Subject: inner"};
    }

    void mailShapes()
    {
        QFETCH(QByteArray, message);
        QFETCH(QStringList, names);
        QFETCH(QList<QByteArray>, contents);
        QFETCH(QStringList, textHas);
        QFETCH(QStringList, textLacks);
        const NewInboxMessage m = decode(rawFile(message));
        QStringList decodedNames;
        for (const auto& attachment : m.attachments)
            decodedNames << attachment.name;
        QCOMPARE(decodedNames, names);
        for (qsizetype i = 0; i < contents.size(); ++i)
            QCOMPARE(content(size_t(i)), contents[i]);
        for (const QString& wanted : textHas)
            QVERIFY2(m.text.contains(wanted), qPrintable(m.text));
        for (const QString& unwanted : textLacks)
            QVERIFY2(!m.text.contains(unwanted), qPrintable(m.text));
    }

    // A multipart message without its boundary, or a file part without its
    // encoding: the body whole as a text file, the text saying why.
    void corruptedMessageKeepsItsBody_data()
    {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("multipart without boundary") << QByteArray("Content-Type: multipart/mixed\r\n")
                                                    << crlf("first body line\n--whatever\nmore\n");
        QTest::newRow("octet-stream without encoding") << QByteArray("Content-Type: application/octet-stream\r\n")
                                                       << QByteArray("AAAA\r\n");
    }
    void corruptedMessageKeepsItsBody()
    {
        QFETCH(QByteArray, header);
        QFETCH(QByteArray, body);
        const NewInboxMessage m = decode(rawFile(header + "\r\n" + body));
        QVERIFY(m.text.contains(QStringLiteral("\r\n\r\nX-VX-Error: MISSING BOUNDARY\r\n")));
        QVERIFY(m.text.endsWith(QStringLiteral("\r\n\r\nThe incoming TORVEX may have been corrupted.")));
        QCOMPARE(m.attachments.size(), size_t(1));
        QCOMPARE(m.attachments[0].name, QStringLiteral("UNKNOWN.TXT;"));
        QCOMPARE(content(0), body);
    }

    void hostileNamesStayInsideTheTempFolder_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("parent") << QByteArray("../../escaped.tif");
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
        const std::optional<NewInboxMessage> m = decoder.decodeFile(path);
        const qint64 grown = peakRssKb() - before;
        QVERIFY2(grown < 64 * 1024, qPrintable(QStringLiteral("peak memory grew by %1 KB").arg(grown)));
        // The text too large for the message text is handed on whole, as a
        // text file.
        QVERIFY(m && m->attachments.size() == 2);
        QCOMPARE(m->attachments[0].name, QStringLiteral("UNKNOWN.TXT;"));
        QCOMPARE(QFileInfo(m->attachments[0].sourcePath).size(), 50LL * 1024 * 1024);
        QCOMPARE(QFileInfo(m->attachments[1].sourcePath).size(), 100LL * 1024 * 1024 / 4 * 3);
        QVERIFY(m->text.size() < 4 * 1024 * 1024);
        for (const auto& attachment : m->attachments)
            QFile::remove(attachment.sourcePath);
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
