#include "scheduler/account/account_escape.h"

#include <QtTest>

using namespace torvex;

// Profile values in the requests and in [MYINFO], and back to the page.
class TestAccountEscape : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void requestValues()
    {
        QCOMPARE(requestValue(QString()), QStringLiteral("%20"));
        QCOMPARE(requestValue(QStringLiteral("New York")), QStringLiteral("New%20York"));
        QCOMPARE(requestValue(QStringLiteral("O'Neil")), QStringLiteral("ONeil"));
        QCOMPARE(requestValue(QStringLiteral("A&B #1+")), QStringLiteral("A%26B%20%231%2B"));
        QCOMPARE(requestValue(QStringLiteral("50%")), QStringLiteral("50%%"));
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("plain") << "Leeds";
        QTest::newRow("blanks") << "1 High St";
        QTest::newRow("query syntax") << "Flat #3 & Co+";
        QTest::newRow("percent before a code") << "100%20 & 5%26";
        QTest::newRow("line break") << "a\r\nb";
        QTest::newRow("lone percent") << "50% off";
    }

    void roundTrip()
    {
        QFETCH(QString, typed);
        QCOMPARE(storedProfileText(requestValue(typed)), typed);
        // Saved again, the value does not grow.
        QCOMPARE(requestValue(storedProfileText(requestValue(typed))), requestValue(typed));
    }

    void theEscapeOfAnEmptyFieldShowsEmpty()
    {
        QCOMPARE(storedProfileText(QStringLiteral("%20")), QString());
        QCOMPARE(storedProfileText(QString()), QString());
        QCOMPARE(storedProfileText(QStringLiteral("%20x")), QStringLiteral(" x"));
    }
};

QTEST_APPLESS_MAIN(TestAccountEscape)
#include "tst_account_escape.moc"
