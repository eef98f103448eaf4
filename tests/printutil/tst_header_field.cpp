#include "printutil/header_field.h"

#include <QtTest>

using namespace torvex;

class TestHeaderField : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void foldedSubjectJoinsOneContinuation()
    {
        QCOMPARE(GetHeaderField(QStringLiteral("Subject: A\r\n\tB\r\n"), QStringLiteral("Subject: ")),
                 QStringLiteral("AB"));
        // Only one continuation line is joined.
        QCOMPARE(GetHeaderField(QStringLiteral("Subject: A\r\n\tB\r\n\tC\r\n"),
                                QStringLiteral("Subject: ")),
                 QStringLiteral("AB"));
    }

    void fieldWithoutLineEndIsEmpty()
    {
        QCOMPARE(GetHeaderField(QStringLiteral("Subject: lonely"), QStringLiteral("Subject: ")), QString());
    }

    void nameCountsOnlyAtLineStart()
    {
        const QString header = QStringLiteral("+OK 10 octets\r\nX-Original-From: a@b\r\nfrom:  c@d\r\n");
        QCOMPARE(GetHeaderField(header, QStringLiteral("From:")), QStringLiteral("c@d"));
        QCOMPARE(GetHeaderField(QStringLiteral("X-From: a\r\n"), QStringLiteral("From:")), QString());
        QCOMPARE(GetHeaderField(QStringLiteral("To: x\r\n\tFrom: tab\r\n"), QStringLiteral("From:")),
                 QStringLiteral("tab"));
        QCOMPARE(GetHeaderField(QStringLiteral("Date: x\r\n"), QStringLiteral("From:")), QString());
    }

    void fileExtensionAfterFirstDot()
    {
        QCOMPARE(GetFileExtension(QStringLiteral("\"fax.tif\"")), QStringLiteral("tif"));
        QCOMPARE(GetFileExtension(QStringLiteral("a.b.txt")), QStringLiteral("b.txt"));
        QCOMPARE(GetFileExtension(QStringLiteral("README")), QString());
    }
};

QTEST_GUILESS_MAIN(TestHeaderField)
#include "tst_header_field.moc"
