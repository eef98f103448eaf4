#include "printutil/transport/smtp_client_text.h"

#include <QtTest>

using namespace torvex;

class TestSmtpText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void oneLineKeepsValuesOnTheirLine_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "Fax from office" << "Fax from office";
        QTest::newRow("folded") << "Fax from\r\n\toffice" << "Fax from\toffice";
        QTest::newRow("folded blank") << "Fax from\r\n office" << "Fax from office";
        QTest::newRow("smuggled header") << "Hello\r\nBcc: victim@example.org"
                                         << "Hello Bcc: victim@example.org";
        QTest::newRow("bare lf") << "Hello\nRCPT TO:<x@example.org>" << "Hello RCPT TO:<x@example.org>";
        QTest::newRow("bare cr") << "a\rb" << "a b";
        QTest::newRow("trailing break") << "a\r\n" << "a";
        QTest::newRow("terminal controls") << "Fax\x1b[2J\a from\x7f office\x01" << "Fax[2J from office";
    }
    void oneLineKeepsValuesOnTheirLine()
    {
        QFETCH(QString, value);
        QFETCH(QString, expected);
        QCOMPARE(oneLine(value), expected);
        QVERIFY(!oneLine(value).contains(QLatin1Char('\r')));
        QVERIFY(!oneLine(value).contains(QLatin1Char('\n')));
    }

    // The message as it goes out after DATA: the end-of-data line added
    // only where it is missing, every line break CR LF, a leading "."
    // doubled, so nothing the sender wrote ends the data or becomes a command.
    void dataOnTheWire_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("ended") << "Body\r\n\r\n.\r\n" << QByteArray("Body\r\n\r\n.\r\n");
        // One ending with a single line end gets an empty line and the "." line.
        QTest::newRow("one line end") << "Body\r\n" << QByteArray("Body\r\n\r\n\r\n.\r\n");
        QTest::newRow("no line end") << "Body" << QByteArray("Body\r\n\r\n.\r\n");
        QTest::newRow("dots and commands")
            << "Subject: x\r\n\r\n.hidden\r\n.\r\nMAIL FROM:<x@example.org>\r\nDATA\r\nbare\n.\r\n..two\r\nlast.\rend\r\n"
            << QByteArray("Subject: x\r\n\r\n..hidden\r\n..\r\nMAIL FROM:<x@example.org>\r\nDATA\r\nbare\r\n..\r\n"
                          "...two\r\nlast.\r\nend\r\n\r\n\r\n.\r\n");
    }
    void dataOnTheWire()
    {
        QFETCH(QString, message);
        QFETCH(QByteArray, data);
        QCOMPARE(smtpData(message), data);
    }

    void dataGoesOutIn256ByteChunks()
    {
        const QString message = QString(593, QLatin1Char('x')) + QString::fromLatin1(kEndOfData);
        const QByteArray data = smtpData(message);
        QCOMPARE(data.size(), 600);
        const QList<QByteArray> chunks = chunksOf(data);
        QCOMPARE(chunks.size(), 3);
        QCOMPARE(chunks.at(0).size(), 256);
        QCOMPARE(chunks.at(1).size(), 256);
        QCOMPARE(chunks.at(2).size(), 88);
        QCOMPARE(chunks.at(0) + chunks.at(1) + chunks.at(2), data);
        QCOMPARE(chunksOf(QByteArray(512, 'y')).size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestSmtpText)
#include "tst_smtp_text.moc"
