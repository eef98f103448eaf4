#include "scheduler/account/account_reply.h"

#include <QtTest>

using namespace torvex;

// Reading the tagged replies: positions, letter case and missing markers.
class TestAccountReply : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tagTextAndThePositionAfterIt()
    {
        const QString r = QStringLiteral("<TITLE>adduser_ok</Title><h1>Hi</h1>");
        qsizetype pos = 0;
        QCOMPARE(GetTag(QStringLiteral("title"), 1, r, pos), QStringLiteral("adduser_ok"));
        QCOMPARE(pos, qsizetype(26));  // just after "</Title>"
        QCOMPARE(r.mid(pos - 1), QStringLiteral("<h1>Hi</h1>"));
        QCOMPARE(GetTag(QStringLiteral("h1"), pos, r, pos), QStringLiteral("Hi"));
        QCOMPARE(pos, r.size() + 1);
    }

    void aMissingOpeningMarkerLeavesThePosition()
    {
        qsizetype pos = 17;
        QCOMPARE(GetTag(QStringLiteral("h1"), 1, QStringLiteral("<title>x</title> no header"), pos), QString());
        QCOMPARE(pos, qsizetype(17));
        QCOMPARE(GetTag(QStringLiteral("h1"), 0, QStringLiteral("<h1>x</h1>"), pos), QString());
        QCOMPARE(pos, qsizetype(17));
    }

    void aMissingClosingMarker()
    {
        qsizetype pos = 40;
        QCOMPARE(GetTag(QStringLiteral("h1"), 1, QStringLiteral("<h1>never closed"), pos), QString());
        QCOMPARE(pos, qsizetype(5));  // Len("h1") + 3
    }

    void searchStartsAtTheGivenPosition()
    {
        const QString r = QStringLiteral("<td>Login</td><td>5551234</td>");
        qsizetype pos = 0;
        QCOMPARE(GetTag(QStringLiteral("td"), 2, r, pos), QStringLiteral("5551234"));
    }

    void textUpToTheNextMarker()
    {
        const QString r = QStringLiteral("<h1>Head</h1>Body text<P>more<center>c</center>");
        qsizetype pos = 0;
        (void)GetTag(QStringLiteral("h1"), 1, r, pos);
        QCOMPARE(GetReply2(QStringLiteral("p"), pos, r, pos), QStringLiteral("Body text"));
        QCOMPARE(r.mid(pos - 1, 2), QStringLiteral("P>"));  // on the character after "<"
        QCOMPARE(GetReply2(QStringLiteral("center"), pos, r, pos), QStringLiteral("P>more"));
    }

    void withoutTheMarkerTheTextIsEmpty()
    {
        qsizetype pos = 3;
        QCOMPARE(GetReply2(QStringLiteral("p"), pos, QStringLiteral("no marker here"), pos), QString());
        QCOMPARE(pos, qsizetype(1));
        pos = 0;
        QCOMPARE(GetReply2(QStringLiteral("center"), pos, QStringLiteral("<center>"), pos), QString());
        QCOMPARE(pos, qsizetype(6));  // an invalid start leaves the position grown by Len(tag)
    }

    void aMarkerRightAtTheStartGivesAnEmptyText()
    {
        qsizetype pos = 1;
        QCOMPARE(GetReply2(QStringLiteral("p"), pos, QStringLiteral("<p>x"), pos), QString());
        QCOMPARE(pos, qsizetype(2));
    }
};

QTEST_APPLESS_MAIN(TestAccountReply)
#include "tst_account_reply.moc"
