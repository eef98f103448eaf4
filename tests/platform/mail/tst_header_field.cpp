#include "platform/mail/header_field.h"

#include <QtTest>

using namespace torvex;

class TestHeaderField : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void getHeaderField_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");

        const QString header = QStringLiteral(
            "+OK 1234 octets\r\n"
            "Return-Path: <a@b>\r\n"
            "X-Reply-From: not this\r\n"
            "from:   Sender One <one@example.org>\r\n"
            "Subject: A\r\n\tB\r\n"
            "Date: Tue, 1 Jul 2003 10:52:37 +0200\r\n"
            "\r\n");
        QTest::newRow("case and blanks") << header << "From: " << "Sender One <one@example.org>";
        QTest::newRow("every continuation") << QStringLiteral("Subject: A\r\n\tB\r\n\tC\r\nX: y\r\n")
                                            << "Subject: " << "ABC";
        QTest::newRow("folded with blanks")
            << QStringLiteral("Content-Type: multipart/report;\r\n report-type=disposition-notification;\r\n"
                              "  boundary=x\r\n\r\n")
            << "Content-Type:" << "multipart/report; report-type=disposition-notification;  boundary=x";
        QTest::newRow("continuation without line end") << QStringLiteral("Subject: A\r\n\tB")
                                                       << "Subject: " << "A";
        QTest::newRow("no line end") << QStringLiteral("Subject: lonely") << "Subject: " << "";
        QTest::newRow("not at a line start") << QStringLiteral("X-Reply-From: x\r\n") << "From:" << "";
        QTest::newRow("later occurrence at line start")
            << QStringLiteral("X-Reply-From: x\r\nFrom: y\r\n") << "From:" << "y";
        QTest::newRow("after a tab") << QStringLiteral("\tFrom: t\r\n") << "From:" << "t";
        QTest::newRow("missing") << header << "Fax-To:" << "";
        QTest::newRow("empty value") << QStringLiteral("Fax-To:\r\nFrom: y\r\n") << "Fax-To:" << "";
        QTest::newRow("date") << header << "Date:" << "Tue, 1 Jul 2003 10:52:37 +0200";
    }

    void getHeaderField()
    {
        QFETCH(QString, text);
        QFETCH(QString, field);
        QFETCH(QString, value);
        QCOMPARE(GetHeaderField(text, field), value);
    }

    void getFileExtension()
    {
        QCOMPARE(GetFileExtension(QStringLiteral("\"fax.tif\"")), QStringLiteral("tif"));
        QCOMPARE(GetFileExtension(QStringLiteral("\"\"fax.tif\"\"")), QStringLiteral("tif\""));
        QCOMPARE(GetFileExtension(QStringLiteral("fax.2024-03-05.tif")), QStringLiteral("tif"));
        QCOMPARE(GetFileExtension(QStringLiteral("noext")), QString());
    }
};

QTEST_APPLESS_MAIN(TestHeaderField)
#include "tst_header_field.moc"
