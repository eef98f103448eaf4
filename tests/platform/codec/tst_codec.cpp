#include "platform/codec/codec.h"
#include "tests/support/test_env.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace torvex;

namespace {

// Decodes the input whole, and once more in pieces of every size from 1 to
// 7 bytes: a streaming decoder must give the same bytes however its input
// is cut.
template <typename Decoder>
QByteArray decodeAllWays(const QByteArray& input)
{
    Decoder whole;
    QByteArray expected;
    whole.decode(input, expected);
    whole.finish(expected);
    for (int piece = 1; piece <= 7; ++piece) {
        Decoder cut;
        QByteArray got;
        for (qsizetype at = 0; at < input.size(); at += piece)
            cut.decode(QByteArrayView(input).sliced(at, qMin<qsizetype>(piece, input.size() - at)), got);
        cut.finish(got);
        if (got != expected)
            return QByteArray("pieces of ") + QByteArray::number(piece) + " differ: " + got.toHex();
    }
    return expected;
}

}  // namespace

class TestCodec : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void base64_data()
    {
        QTest::addColumn<QByteArray>("encoded");
        QTest::addColumn<QByteArray>("decoded");
        QTest::newRow("rfc4648 f") << QByteArray("Zg==") << QByteArray("f");
        QTest::newRow("rfc4648 fo") << QByteArray("Zm8=") << QByteArray("fo");
        QTest::newRow("rfc4648 foobar") << QByteArray("Zm9vYmFy") << QByteArray("foobar");
        QTest::newRow("line ends and noise ignored") << QByteArray("Zm9v\r\nYm*F\tyYg\r\n==\r\n")
                                                     << QByteArray("foobarb");
        QTest::newRow("unpadded end") << QByteArray("Zm9vYg") << QByteArray("foob");
        QTest::newRow("joined padded blocks") << QByteArray("Zg==Zm8=") << QByteArray("ffo");
        QTest::newRow("lone character is noise") << QByteArray("Zm9vY") << QByteArray("foo");
        QTest::newRow("binary") << QByteArray("AP+AfwE=") << QByteArray("\x00\xff\x80\x7f\x01", 5);
    }

    void base64()
    {
        QFETCH(QByteArray, encoded);
        QFETCH(QByteArray, decoded);
        QCOMPARE(decodeAllWays<Base64Decoder>(encoded), decoded);
    }

    void quotedPrintable_data()
    {
        QTest::addColumn<QByteArray>("encoded");
        QTest::addColumn<QByteArray>("decoded");
        QTest::newRow("escapes either case") << QByteArray("a=3Db=3db") << QByteArray("a=b=b");
        QTest::newRow("soft line break") << QByteArray("long =\r\nline\r\n") << QByteArray("long line\r\n");
        QTest::newRow("soft break with blanks") << QByteArray("a= \t\r\nb") << QByteArray("ab");
        QTest::newRow("trailing blanks dropped") << QByteArray("a  \r\nb \t\nc") << QByteArray("a\r\nb\nc");
        QTest::newRow("inner blanks kept") << QByteArray("a  b\r\n") << QByteArray("a  b\r\n");
        QTest::newRow("invalid escape kept") << QByteArray("50%=zz =4") << QByteArray("50%=zz =4");
        QTest::newRow("invalid escape, then a soft break after blanks")
            << QByteArray("x=  y=  \r\nz  \r\n") << QByteArray("x=  yz\r\n");
        QTest::newRow("leading dot") << QByteArray(".hidden\r\n=2Eesc\r\n") << QByteArray(".hidden\r\n.esc\r\n");
        QTest::newRow("eight bit") << QByteArray("=E4=F6=FC") << QByteArray("\xe4\xf6\xfc");
        QTest::newRow("lone CR is text") << QByteArray("a\rb") << QByteArray("a\rb");
        QTest::newRow("last equals") << QByteArray("end=") << QByteArray("end");
    }

    void quotedPrintable()
    {
        QFETCH(QByteArray, encoded);
        QFETCH(QByteArray, decoded);
        QCOMPARE(decodeAllWays<QuotedPrintableDecoder>(encoded), decoded);
    }

    void uudecode()
    {
        const QByteArray encoded =
            "preamble line\r\n"
            "begin 644 fox.txt\r\n"
            "M5&AE(\'%U:6-K(&)R;W=N(&9O>\"!J=6UP<R!O=F5R(\'1H92!L87IY(&1O9RX \r\n"
            "#0V%T\r\n"
            "\"__X \r\n"
            "`\r\n"
            "end\r\n"
            "#0V%T\r\n";
        QCOMPARE(decodeAllWays<UudecodeDecoder>(encoded),
                 QByteArray("The quick brown fox jumps over the lazy dog.\0Cat\xff\xfe", 50));
        UudecodeDecoder none;
        QByteArray out;
        none.decode("#0V%T\r\n", out);
        QVERIFY(!none.sawBegin());
        QVERIFY(out.isEmpty());
    }

    void fileEntryPoints()
    {
        const test::TestEnv env;
        const QString source = env.path(QStringLiteral("part.txt"));
        const QString target = env.path(QStringLiteral("out.bin"));
        const QByteArray data = randomBytes(300000);
        env.writeFile(source, data.toBase64());  // one line without line ends
        env.writeFile(target, "old content that is longer than nothing");
        QVERIFY(DecodeBase64FileA(source, target));
        QCOMPARE(env.readFile(target), data);

        env.writeFile(source, "begin 600 cat\r\n#0V%T\r\n`\r\nend\r\n");
        QVERIFY(DecodeFileA(source, target));
        QCOMPARE(env.readFile(target), QByteArray("Cat"));

        env.writeFile(source, "caf=C3=A9 =\r\nau lait\r\n");
        QVERIFY(DecodeFileA(source, target));
        QCOMPARE(env.readFile(target), QByteArray("caf\xc3\xa9 au lait\r\n"));

        QVERIFY(!DecodeFileA(env.path(QStringLiteral("missing")), target));
    }

private:
    static QByteArray randomBytes(qsizetype size)
    {
        QByteArray data(size, Qt::Uninitialized);
        QRandomGenerator generator(42);
        for (char& c : data)
            c = char(generator.bounded(256));
        return data;
    }
};

QTEST_GUILESS_MAIN(TestCodec)
#include "tst_codec.moc"
