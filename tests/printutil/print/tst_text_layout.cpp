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

    void longLineWrapsIntoThreeLines()
    {
        const QString text = spacedText(250);
        const TextBlockLayout layout = layoutTextBlock(text, false, kHeader, 110, 80);
        QCOMPARE(int(layout.pages.size()), 1);
        const QStringList& lines = layout.pages[0];
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QLatin1Char('\t') + text.left(110));
        QCOMPARE(lines[1], QLatin1Char('\t') + text.mid(110, 110));
        QCOMPARE(lines[2], QLatin1Char('\t') + text.mid(220));
        QVERIFY(lines[0].endsWith(QLatin1Char(' ')));
    }

    void lineWithoutBlankIsCutHard()
    {
        const QString text(25, QLatin1Char('x'));
        const TextBlockLayout layout = layoutTextBlock(text, false, kHeader, 10, 80);
        QCOMPARE(layout.pages[0],
                 (QStringList{QStringLiteral("\txxxxxxxxxx"), QStringLiteral("\txxxxxxxxxx"), QStringLiteral("\txxxxx")}));
    }

    // A file with bare LF line ends is wrapped and paged as CR LF text is.
    void lfLinesWrapAndPageLikeCrLfLines()
    {
        const TextBlockLayout layout = layoutTextBlock(QStringLiteral("aaaa bbbb\nc\n"), false, kHeader, 5, 2);
        QCOMPARE(int(layout.pages.size()), 2);
        QCOMPARE(layout.pages[0], (QStringList{QStringLiteral("\taaaa "), QStringLiteral("\tbbbb")}));
        QCOMPARE(layout.pages[1], QStringList{QStringLiteral("\tc")});
    }

    void pagesEndAfterPageLengthLines()
    {
        const QString text = QStringLiteral("1\r\n2\r\n3\r\n4\r\n5\r\n");
        const TextBlockLayout layout = layoutTextBlock(text, true, kHeader, 110, 2);
        QCOMPARE(int(layout.pages.size()), 3);
        QCOMPARE(layout.pages[0],
                 (QStringList{pageHeaderLine(kHeader, 1), QString(), QStringLiteral("\t1"), QStringLiteral("\t2")}));
        QCOMPARE(layout.pages[2],
                 (QStringList{pageHeaderLine(kHeader, 3), QString(), QStringLiteral("\t5")}));
        QCOMPARE(pageHeaderLine(kHeader, 3), QStringLiteral("S sent  R  recv    from@x   Page No. 3"));
    }

    void pageFullWhileWrappingCarriesTheRestOver()
    {
        // One line wrapped into three pieces on pages of two lines.
        const QString text = QStringLiteral("aaaa bbbb cccc") + kCrLf;
        const TextBlockLayout layout = layoutTextBlock(text, false, kHeader, 5, 2);
        QCOMPARE(int(layout.pages.size()), 2);
        QCOMPARE(layout.pages[0], (QStringList{QStringLiteral("\taaaa "), QStringLiteral("\tbbbb ")}));
        QCOMPARE(layout.pages[1], QStringList{QStringLiteral("\tcccc")});
    }

    void formFeedEndsThePage()
    {
        const QString text = QStringLiteral("one") + kCrLf + QChar(12) + QStringLiteral("two") + kCrLf;
        const TextBlockLayout layout = layoutTextBlock(text, true, kHeader, 110, 80);
        QCOMPARE(int(layout.pages.size()), 2);
        QCOMPARE(layout.pages[0].last(), QStringLiteral("\tone"));
        QCOMPARE(layout.pages[1],
                 (QStringList{pageHeaderLine(kHeader, 2), QString(), QStringLiteral("\ttwo")}));
    }

    void noHeaderWithoutTheFlagAndNoPageForTrailingBlankLines()
    {
        const QString text = QStringLiteral("x") + kCrLf + QChar(12) + kCrLf + kCrLf;
        const TextBlockLayout layout = layoutTextBlock(text, false, kHeader, 110, 80);
        QCOMPARE(int(layout.pages.size()), 1);
        QCOMPARE(layout.pages[0], QStringList{QStringLiteral("\tx")});
        QCOMPARE(int(layoutTextBlock(QString(), false, kHeader, 110, 80).pages.size()), 1);
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
