#include "platform/codec/codec.h"
#include "tests/support/test_env.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace torvex;

namespace {

// Decodes the input whole, and once more in pieces of every size from 1 to
// 7 bytes: a streaming decoder must give the same bytes however its input
// is cut.
QByteArray decodeAllWays(const QByteArray& encoding, const QByteArray& input)
{
    TransferDecoder whole(encoding);
    QByteArray expected;
    whole.decode(input, expected);
    whole.finish(expected);
    for (int piece = 1; piece <= 7; ++piece) {
        TransferDecoder cut(encoding);
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
    // The decoder each Content-Transfer-Encoding names.
    void decode_data()
    {
        QTest::addColumn<QByteArray>("encoding");
        QTest::addColumn<QByteArray>("encoded");
        QTest::addColumn<QByteArray>("decoded");
        const auto row = [](const char* name, const char* encoding, const QByteArray& encoded,
                            const QByteArray& decoded) { QTest::newRow(name) << QByteArray(encoding) << encoded << decoded; };
        // Padding of one and of two characters, at the end and between blocks.
        row("base64: line ends and noise ignored", "base64", "Zm9v\r\nYm*F\tyYg\r\n==\r\n", "foobarb");
        row("base64: unpadded end", "base64", "Zm9vYg", "foob");
        row("base64: joined padded blocks", "base64", "Zg==Zm8=", "ffo");
        row("base64: lone character is noise", "base64", "Zm9vY", "foo");
        row("base64: binary", "base64", "AP+AfwE=", QByteArray("\x00\xff\x80\x7f\x01", 5));
        row("qp: escapes either case", "quoted-printable", "a=3Db=3db", "a=b=b");
        row("qp: soft line break", "quoted-printable", "long =\r\nline\r\n", "long line\r\n");
        row("qp: soft break with blanks", "quoted-printable", "a= \t\r\nb", "ab");
        row("qp: trailing blanks dropped", "quoted-printable", "a  \r\nb \t\nc", "a\r\nb\nc");
        row("qp: inner blanks kept", "quoted-printable", "a  b\r\n", "a  b\r\n");
        row("qp: invalid escape kept", "quoted-printable", "50%=zz =4", "50%=zz =4");
        row("qp: invalid escape, then a soft break after blanks", "quoted-printable", "x=  y=  \r\nz  \r\n",
            "x=  yz\r\n");
        row("qp: leading dot", "quoted-printable", ".hidden\r\n=2Eesc\r\n", ".hidden\r\n.esc\r\n");
        row("qp: eight bit", "quoted-printable", "=E4=F6=FC", "\xe4\xf6\xfc");
        row("qp: lone CR is text", "quoted-printable", "a\rb", "a\rb");
        row("qp: last equals", "quoted-printable", "end=", "end");
        row("uu: lines after the end and before the begin ignored", "x-uuencode",
            "preamble line\r\n"
            "begin 644 fox.txt\r\n"
            "M5&AE(\'%U:6-K(&)R;W=N(&9O>\"!J=6UP<R!O=F5R(\'1H92!L87IY(&1O9RX \r\n"
            "#0V%T\r\n"
            "\"__X \r\n"
            "`\r\n"
            "end\r\n"
            "#0V%T\r\n",
            QByteArray("The quick brown fox jumps over the lazy dog.\0Cat\xff\xfe", 50));
        row("uu: nothing without a begin", "x-uuencode", "#0V%T\r\n", "");
    }

    void decode()
    {
        QFETCH(QByteArray, encoding);
        QFETCH(QByteArray, encoded);
        QFETCH(QByteArray, decoded);
        QCOMPARE(decodeAllWays(encoding, encoded), decoded);
    }

    void fileEntryPoints()
    {
        const test::TestEnv env;
        const QString source = env.path(QStringLiteral("part.txt"));
        const QString target = env.path(QStringLiteral("out.bin"));
        QByteArray data(300000, Qt::Uninitialized);
        QRandomGenerator(42).fillRange(reinterpret_cast<quint32*>(data.data()), data.size() / 4);
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
};

QTEST_GUILESS_MAIN(TestCodec)
#include "tst_codec.moc"
