#include "printutil/print/text_layout.h"
#include "platform/mail/mail_text.h"
#include "tests/support/test_env.h"

#include <QtTest>

using namespace torvex;

namespace {

const PageHeaderFields kHeader{QStringLiteral("sent"), QStringLiteral("recv"), QStringLiteral("from@x")};

QString spacedText(int length)
{
    QString text;
    for (int i = 1; i <= length; ++i)
        text += i % 10 == 0 ? QLatin1Char(' ') : QLatin1Char('a' + (i / 10) % 26);
    return text;
}

}  // namespace

class TestTextLayout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void printableTests()
    {
        QVERIFY(!TestAllBlanks(QString()));
        QVERIFY(!TestAllBlanks(QStringLiteral("   ")));
        QVERIFY(!TestAllBlanks(QString::fromLatin1(kCrLf).repeated(3)));
        QVERIFY(!TestAllBlanks(QStringLiteral("\t\x0b\x0c\r\n")));
        QVERIFY(TestAllBlanks(QStringLiteral(" x")));
        QVERIFY(TestAllBlanks(QStringLiteral(" \r\n")));  // a blank among line ends counts
        QVERIFY(AllSpaces(QString()));
        QVERIFY(AllSpaces(QStringLiteral("  ")));
        QVERIFY(!AllSpaces(QStringLiteral(" \t")));
    }

    void loadArray1CutsAtLastBlankOrHard()
    {
        QString rest;
        QCOMPARE(LoadArray1(QStringLiteral("aaa bbb ccc\n"), 9, rest), QStringLiteral("aaa bbb ") + kCrLf);
        QCOMPARE(rest, QStringLiteral("ccc\n"));
        QCOMPARE(LoadArray1(QStringLiteral("abcdefghij\n"), 4, rest), QStringLiteral("abcd") + kCrLf);
        QCOMPARE(rest, QStringLiteral("efghij\n"));
    }

    // Lines break at LF with or without CR, long lines wrap at the last
    // blank (or hard), a full page carries the rest over, a form feed ends
    // the page; without the flag no header, and trailing blank lines make
    // no page of their own.
    void layout_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("header");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("length");
        QTest::addColumn<QList<QStringList>>("pages");
        const QString wide = spacedText(250);
        const QString ff(QChar(12));
        QTest::newRow("long line wraps into three") << wide << false << 110 << 80
            << QList<QStringList>{{QLatin1Char('\t') + wide.left(110), QLatin1Char('\t') + wide.mid(110, 110),
                                   QLatin1Char('\t') + wide.mid(220)}};
        QTest::newRow("no blank: cut hard") << QString(25, QLatin1Char('x')) << false << 10 << 80
            << QList<QStringList>{{"\txxxxxxxxxx", "\txxxxxxxxxx", "\txxxxx"}};
        QTest::newRow("LF lines") << QStringLiteral("aaaa bbbb\nc\n") << false << 5 << 2
            << QList<QStringList>{{"\taaaa ", "\tbbbb"}, {"\tc"}};
        QTest::newRow("page length") << QStringLiteral("1\r\n2\r\n3\r\n4\r\n5\r\n") << true << 110 << 2
            << QList<QStringList>{{pageHeaderLine(kHeader, 1), "", "\t1", "\t2"},
                                  {pageHeaderLine(kHeader, 2), "", "\t3", "\t4"},
                                  {"S sent  R  recv    from@x   Page No. 3", "", "\t5"}};
        QTest::newRow("page full while wrapping") << QStringLiteral("aaaa bbbb cccc\r\n") << false << 5 << 2
            << QList<QStringList>{{"\taaaa ", "\tbbbb "}, {"\tcccc"}};
        QTest::newRow("form feed") << QStringLiteral("one\r\n") + ff + QStringLiteral("two\r\n") << true << 110 << 80
            << QList<QStringList>{{pageHeaderLine(kHeader, 1), "", "\tone"}, {pageHeaderLine(kHeader, 2), "", "\ttwo"}};
        QTest::newRow("trailing blank lines") << QStringLiteral("x\r\n") + ff + QStringLiteral("\r\n\r\n") << false
                                              << 110 << 80 << QList<QStringList>{{"\tx"}};
        QTest::newRow("empty") << QString() << false << 110 << 80 << QList<QStringList>{{}};
    }
    void layout()
    {
        QFETCH(QString, text);
        QFETCH(bool, header);
        QFETCH(int, width);
        QFETCH(int, length);
        QFETCH(QList<QStringList>, pages);
        const TextBlockLayout layout = layoutTextBlock(text, header, kHeader, width, length);
        QCOMPARE(QList<QStringList>(layout.pages.begin(), layout.pages.end()), pages);
        QVERIFY(!layout.tooLong);
    }

    // However the text is made, the layout stops past the page limit, in
    // time that grows with the text (an 8 MB line once took a minute).
    void textsPastThePageLimitStop_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("tooLong");
        QTest::newRow("one 8 MB line") << QString(8'000'000, QLatin1Char('x')) << true;
        QTest::newRow("a page per form feed") << (QStringLiteral("x\r\n") + QChar(12)).repeated(kMaxTextPages + 1) << true;
        QTest::newRow("LF lines on one page") << QStringLiteral("x\n").repeated(kMaxTextPages * 80 + 1) << true;
        QTest::newRow("at the limit") << QStringLiteral("x\r\n").repeated(kMaxTextPages * 80) << false;
    }
    void textsPastThePageLimitStop()
    {
        QFETCH(QString, text);
        QFETCH(bool, tooLong);
        const TextBlockLayout layout = layoutTextBlock(text, true, kHeader, 110, 80);
        QCOMPARE(layout.tooLong, tooLong);
        QVERIFY(int(layout.pages.size()) <= kMaxTextPages);
    }

    void loadFile2ReadsEveryByte()
    {
        test::TestEnv env;
        env.writeFile(QStringLiteral("t.txt"), QByteArray("a\r\n\xe9\0b", 6));
        QString text;
        QVERIFY(LoadFile2(env.path(QStringLiteral("t.txt")), text));
        QCOMPARE(text, QString::fromLatin1(QByteArray("a\r\n\xe9\0b", 6)));
        QVERIFY(!LoadFile2(env.path(QStringLiteral("missing.txt")), text));
    }
};

QTEST_GUILESS_MAIN(TestTextLayout)
#include "tst_text_layout.moc"
