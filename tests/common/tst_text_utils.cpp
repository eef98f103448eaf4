#include "common/array_load.h"
#include "common/char_tests.h"
#include "common/file_exists.h"
#include "common/http_escape.h"
#include "tests/support/test_env.h"

#include <QFile>
#include <QtTest>

#include <sys/stat.h>

using namespace torvex;

class TestTextUtils : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void alphaNumeric()
    {
        QVERIFY(AlphaNumeric(QStringLiteral("Zz9"), false));
        QVERIFY(AlphaNumeric(QString(), false));
        QVERIFY(!AlphaNumeric(QStringLiteral("John Smith"), false));
        QVERIFY(AlphaNumeric(QStringLiteral("John Smith"), true));
        QVERIFY(!AlphaNumeric(QStringLiteral("Jos\u00e9"), true));
        QVERIFY(!AlphaNumeric(QStringLiteral("a-b"), true));
        // Characters just outside the ranges.
        QVERIFY(!AlphaNumeric(QStringLiteral("@"), false));
        QVERIFY(!AlphaNumeric(QStringLiteral("["), false));
        QVERIFY(!AlphaNumeric(QStringLiteral("`"), false));
        QVERIFY(!AlphaNumeric(QStringLiteral("{"), false));
    }

    // A blank in a profile name is the settings window's field check.
    void digitsAndPhones()
    {
        QCOMPARE(NumbersOnly(QStringLiteral("(0171) 555-12 34")), QStringLiteral("0171555 1234").remove(QLatin1Char(' ')));
        QVERIFY(IsAllDigits(QString()));
        QVERIFY(IsAllDigits(QStringLiteral("0123456789")));
        QVERIFY(!IsAllDigits(QStringLiteral("12a")));
        QVERIFY(IsPhoneChars(QStringLiteral("0171 555-1234")));
        QVERIFY(!IsPhoneChars(QStringLiteral("0171.555")));
    }

    // A growing list is made 11 long and grows past that as it fills.
    void arrayLoadSplitsLists()
    {
        QStringList arr;
        QCOMPARE(ArrayLoad2(0, arr, QStringLiteral("tif,txt"), QStringLiteral(","), true), qint16(2));
        QCOMPARE(arr.mid(0, 2), (QStringList{QStringLiteral("tif"), QStringLiteral("txt")}));
        QCOMPARE(arr.size(), 11);
        QStringList items;
        for (int i = 0; i < 25; ++i)
            items << QString::number(i);
        QCOMPARE(ArrayLoad2(0, arr, items.join(QLatin1Char(',')), QStringLiteral(","), true), qint16(25));
        QCOMPARE(arr.mid(0, 25), items);

        QStringList trailing;
        QCOMPARE(ArrayLoad2(0, trailing, QStringLiteral("tif,txt,"), QStringLiteral(","), true), qint16(2));

        QStringList gaps;
        QCOMPARE(ArrayLoad2(0, gaps, QStringLiteral("x,,y"), QStringLiteral(","), true), qint16(3));
        QCOMPARE(gaps.mid(0, 3), (QStringList{QStringLiteral("x"), QString(), QStringLiteral("y")}));

        QStringList emptied{QStringLiteral("old")};
        QCOMPARE(ArrayLoad2(0, emptied, QString(), QStringLiteral(","), true), qint16(0));
        QCOMPARE(emptied, QStringList(11, QString()));

        // More entries than the list holds stop at its end ("1,,2," into the
        // forwarding rows is the settings test's).
        QStringList shortRows(4);
        QCOMPARE(ArrayLoad2(1, shortRows, QStringLiteral("a,b,c,d,e"), QStringLiteral(","), false), qint16(4));
        QCOMPARE(shortRows[3], QStringLiteral("c"));
    }

    void fileExists()
    {
        test::TestEnv env;
        const QString path = env.path(QStringLiteral("account.ini"));
        env.writeFile(path, "[TORVEX]\n");
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0444) == 0);
        qint32 error = -1;
        QVERIFY(FileExists(path, error));
        QCOMPARE(error, 0);
        QVERIFY(QFileInfo(path).isWritable());

        QVERIFY(!FileExists(env.path(QStringLiteral("missing.ini")), error));
        QVERIFY(error != 0);
        QVERIFY(!FileExists(env.home(), error));
        QVERIFY(error != 0);
    }

    // The escapes the account requests are sent with are the account tests'.
    void httpEscaping()
    {
        QCOMPARE(HttpToTabs(QStringLiteral("its%20100%%")), QStringLiteral("its 100%"));
        QCOMPARE(TabsToHttp(QStringLiteral("a\r\nb")), QStringLiteral("a%0D%0Ab"));
        QCOMPARE(HttpToTabs(QStringLiteral("a%0D%0Ab")), QStringLiteral("a\r\nb"));
        // Lower-case and unknown escapes are copied as they stand.
        QCOMPARE(HttpToTabs(QStringLiteral("%0a%41%")), QStringLiteral("%0a%41%"));
    }
};

QTEST_GUILESS_MAIN(TestTextUtils)
#include "tst_text_utils.moc"
