// Stand-in driver for a fuzz target where libFuzzer is not available (a
// GCC build): runs every corpus file, then random mutations of them for a
// bounded time. Usage: <target> <seconds> <corpus folder>...
#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QRandomGenerator>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void run(const QByteArray& input)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.constData()), size_t(input.size()));
}

// Tokens the decoder reacts to, spliced in to reach its states.
const QList<QByteArray> kTokens = {
    "\r\n", "\r\n\r\n", "--", "--b", "--b--", "boundary=", "boundary=\"b\"", "Content-Type: ",
    "multipart/mixed; ", "application/octet-stream", "image/tiff", "text/plain", "name=",
    "filename=\"", "Content-Transfer-Encoding: ", "base64", "quoted-printable", "x-uuencode",
    "begin 644 x\r\n", "end\r\n", "=", "=\r\n", ";", "\"", "\t", ".\r\n", "+OK 10 octets\r\n",
};

QByteArray mutate(QByteArray input, QRandomGenerator& random)
{
    const int steps = 1 + int(random.bounded(8));
    for (int i = 0; i < steps; ++i) {
        const qsizetype at = input.isEmpty() ? 0 : qsizetype(random.bounded(quint32(input.size() + 1)));
        switch (random.bounded(5)) {
        case 0:
            if (!input.isEmpty() && at < input.size())
                input[at] = char(random.bounded(256));
            break;
        case 1:
            input.insert(at, kTokens.at(random.bounded(quint32(kTokens.size()))));
            break;
        case 2:
            input.remove(at, qsizetype(random.bounded(64)));
            break;
        case 3:
            input.insert(at, QByteArray(qsizetype(random.bounded(3000)), char(random.bounded(256))));
            break;
        default:
            input = input.left(at);
            break;
        }
    }
    return input;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <seconds> <corpus folder>...\n", argv[0]);
        return 2;
    }
    const qint64 budgetMs = qint64(std::atof(argv[1]) * 1000);
    QList<QByteArray> corpus;
    for (int i = 2; i < argc; ++i) {
        const QDir dir(QString::fromLocal8Bit(argv[i]));
        for (const QFileInfo& entry : dir.entryInfoList(QDir::Files, QDir::Name)) {
            QFile file(entry.filePath());
            if (file.open(QIODevice::ReadOnly))
                corpus.append(file.readAll());
        }
    }
    if (corpus.isEmpty())
        corpus.append(QByteArray());
    for (const QByteArray& input : corpus)
        run(input);

    const quint32 seed = QRandomGenerator::global()->generate();
    std::printf("replayed %lld corpus inputs; mutating with seed %u\n", qlonglong(corpus.size()), seed);
    std::fflush(stdout);
    QRandomGenerator random(seed);
    QElapsedTimer clock;
    clock.start();
    qint64 runs = 0;
    while (clock.elapsed() < budgetMs) {
        run(mutate(corpus.at(random.bounded(quint32(corpus.size()))), random));
        ++runs;
    }
    std::printf("%lld mutated inputs, no failure\n", qlonglong(runs));
    return 0;
}
