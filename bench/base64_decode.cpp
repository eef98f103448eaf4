// Decoding throughput of a 20 MB Base64 attachment: our codec and our MIME
// decoder beside coreutils "base64 -d" and Debian's ripmime on the same
// files, each in its own process so its peak memory is its own.
// Usage: bench_base64_decode [megabytes]
#include "child_measure.h"

#include "platform/codec/codec.h"
#include "printutil/decode/mime_decoder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

using namespace torvex;
using bench::Measured;

namespace {

int decodeOnly(const QString& source, const QString& target)
{
    return DecodeBase64FileA(source, target) ? 0 : 1;
}

int generate(qsizetype megabytes, const QString& b64, const QString& raw)
{
    QByteArray data(megabytes * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator random(7);
    random.fillRange(reinterpret_cast<quint32*>(data.data()), data.size() / 4);
    const QByteArray encoded = data.toBase64();
    QByteArray lines;
    lines.reserve(encoded.size() * 78 / 76 + 4);
    for (qsizetype at = 0; at < encoded.size(); at += 76)
        lines += encoded.mid(at, 76) + "\r\n";
    QFile f(b64);
    QFile m(raw);
    if (!f.open(QIODevice::WriteOnly) || !m.open(QIODevice::WriteOnly))
        return 1;
    f.write(lines);
    m.write("+OK 1 octets\r\nFrom: <a@b>\r\nMIME-Version: 1.0\r\n"
            "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\n"
            "Content-Type: image/tiff; name=\"fax.tif\"\r\nContent-Transfer-Encoding: base64\r\n\r\n");
    m.write(lines);
    m.write("--b--\r\n.\r\n");
    return 0;
}

int decodeMessage(const QString& raw, const QString& temp)
{
    MimeDecoder decoder(temp + QLatin1Char('/'), QStringLiteral("user@torvex.example"));
    const auto message = decoder.decodeFile(raw);
    return message && message->attachments.size() == 1 ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--codec"))
        return decodeOnly(args[2], args[3]);
    if (args.size() == 5 && args[1] == QLatin1String("--generate"))
        return generate(args[2].toInt(), args[3], args[4]);
    if (args.size() == 4 && args[1] == QLatin1String("--mime"))
        return decodeMessage(args[2], args[3]);

    const qsizetype megabytes = args.size() > 1 ? args[1].toInt() : 20;
    QTemporaryDir dir;
    const QString b64 = dir.filePath(QStringLiteral("fax.b64"));
    const QString raw = dir.filePath(QStringLiteral("1.TXT"));
    const QString self = QCoreApplication::applicationFilePath();
    // The files are made by a child, so this process stays small and its
    // memory does not count for the children it starts.
    bench::runMeasured({self, QStringLiteral("--generate"), QString::number(megabytes), b64, raw});
    for (const char* sub : {"ours", "ripmime"})
        QDir(dir.path()).mkdir(QLatin1String(sub));

    std::printf("Base64 decoding of a %lld MB attachment\n", qlonglong(megabytes));
    std::fflush(stdout);
    const Measured codec = bench::runMeasured({self, QStringLiteral("--codec"), b64, dir.filePath(QStringLiteral("codec.out"))});
    const Measured coreutils = bench::runMeasured({QStringLiteral("base64"), QStringLiteral("-d"), QStringLiteral("-i"), b64},
                                                  dir.filePath(QStringLiteral("coreutils.out")));
    const Measured mime = bench::runMeasured({self, QStringLiteral("--mime"), raw, dir.filePath(QStringLiteral("ours"))});
    const bool haveRipmime = !QStandardPaths::findExecutable(QStringLiteral("ripmime")).isEmpty();
    Measured rip;
    if (haveRipmime)
        rip = bench::runMeasured({QStringLiteral("ripmime"), QStringLiteral("-i"), raw, QStringLiteral("-d"),
                                  dir.filePath(QStringLiteral("ripmime"))});

    const double mb = double(megabytes);
    bench::printMeasured("DecodeBase64FileA", codec, mb);
    bench::printMeasured("coreutils base64 -d", coreutils, mb);
    bench::printMeasured("MimeDecoder (whole message)", mime, mb);
    if (haveRipmime)
        bench::printMeasured("ripmime", rip, mb);
    else
        std::printf("ripmime not installed\n");
    std::printf("time ratio codec / base64 -d:     %.2f\n", codec.seconds / coreutils.seconds);
    if (haveRipmime)
        std::printf("time ratio decoder / ripmime:     %.2f\n", mime.seconds / rip.seconds);
    std::printf("memory ratio codec / base64 -d:   %.2f\n", double(codec.peakRssKb) / double(coreutils.peakRssKb));
    if (haveRipmime)
        std::printf("memory ratio decoder / ripmime:   %.2f\n", double(mime.peakRssKb) / double(rip.peakRssKb));

    bench::printFigure("base64 decode", "time", codec.seconds, "s", "base64 -d", coreutils.seconds);
    bench::printFigure("base64 decode", "peak memory", double(codec.peakRssKb) / 1024.0, "MB", "base64 -d",
                       double(coreutils.peakRssKb) / 1024.0);
    const char* peer = haveRipmime ? "ripmime" : "";
    bench::printFigure("MIME decode", "time", mime.seconds, "s", peer, rip.seconds);
    bench::printFigure("MIME decode", "peak memory", double(mime.peakRssKb) / 1024.0, "MB", peer,
                       double(rip.peakRssKb) / 1024.0);
    return 0;
}
