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

    void endOfDataIsAddedOnlyOnce()
    {
        QCOMPARE(withEndOfData(QStringLiteral("Body\r\n\r\n.\r\n")), QStringLiteral("Body\r\n\r\n.\r\n"));
        // One ending with a single line end gets an empty line and the "." line.
        QCOMPARE(withEndOfData(QStringLiteral("Body\r\n")), QStringLiteral("Body\r\n\r\n\r\n.\r\n"));
        QCOMPARE(withEndOfData(QStringLiteral("Body")), QStringLiteral("Body\r\n\r\n.\r\n"));
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
