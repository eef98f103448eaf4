// Memory of one whole run over a large fax: a TORVEX carrying a fax file of
// about <MB> megabytes (uncompressed fine pages) waits at a local Dovecot;
// `vxprintu /0` fetches it by POP3, decodes it, hands it to the Inbox,
// reads it back and prints every page to the PDF printer. Prints the run's
// peak memory beside the attachment's size and the bound of 64 MB, and
// beside it ripmime decoding the same message.
//
//   build/bin/bench_large_fax_memory [MB=100]
#include "child_measure.h"

#include "common/telvane_info.h"
#include "platform/codec/codec.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/pdf_reader.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

using namespace torvex;

namespace {

constexpr double kBoundMb = 64;

// A fax file of at least `megabytes`, uncompressed fine pages, so its size
// is its pages'. Drawn by make_sample_fax, so this process stays small: a
// child's peak memory counts the parent's from before it started.
bool writeLargeFax(const QString& path, double megabytes, int* pages)
{
    const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/make_sample_fax");
    const auto draw = [&](int count) {
        return bench::runMeasured({tool, QStringLiteral("--pages"), QString::number(count), QStringLiteral("--format"),
                                   QStringLiteral("none"), path})
                   .exitCode
            == 0;
    };
    if (!draw(1))
        return false;
    const double pageMb = double(QFileInfo(path).size()) / (1024.0 * 1024.0);
    *pages = qMax(1, int(megabytes / pageMb + 0.999));
    return draw(*pages);
}

// The TORVEX, written piece by piece into the mailbox Dovecot serves.
qint64 deliverMessage(test::DovecotServer& dovecot, const QString& faxPath, const QString& to, const QString& copy)
{
    QFile fax(faxPath);
    const QString name = QStringLiteral("%1.M1P1.bench").arg(QDateTime::currentSecsSinceEpoch());
    const QString tmp = dovecot.maildir() + QStringLiteral("/tmp/") + name;
    QFile out(tmp);
    if (!fax.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return -1;
    out.write("From: Fax Gateway <gateway@127.0.0.1>\r\nTo: " + to.toUtf8()
              + "\r\nSubject: large fax\r\nMIME-Version: 1.0\r\n"
                "Content-Type: multipart/mixed; boundary=\"large\"\r\n\r\n"
                "--large\r\nContent-Type: text/plain\r\n\r\nA large fax.\r\n"
                "--large\r\nContent-Type: image/tiff\r\nContent-Disposition: attachment; filename=\"large.tif\"\r\n"
                "Content-Transfer-Encoding: base64\r\n\r\n");
    while (!fax.atEnd())
        out.write(EncodeBase64Lines(fax.read(57 * 1024)));
    out.write("--large--\r\n");
    out.close();
    QFile::copy(tmp, copy);
    dovecot.adoptMaildir();
    QFile::rename(tmp, dovecot.maildir() + QStringLiteral("/new/") + name);
    return QFileInfo(copy).size();
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const double megabytes = args.size() > 1 ? qMax(1.0, args[1].toDouble()) : 100.0;

    test::DovecotServer dovecot;
    if (!test::DovecotServer::available() || !dovecot.start()) {
        std::printf("Dovecot could not be started\n%s\n", qPrintable(dovecot.log()));
        return 1;
    }
    QTemporaryDir dir;
    const QString home = dir.filePath(QStringLiteral("home"));
    qputenv("TORVEX_INI", dir.filePath(QStringLiteral("torvex.ini")).toUtf8());
    qputenv("TORVEX_HOME", home.toUtf8());
    qputenv("TORVEX_POP3_PORT", QByteArray::number(dovecot.port()));
    QDir().mkpath(home + QStringLiteral("/profiles/TORVEX"));
    const QString user = dovecot.user() + QStringLiteral("@127.0.0.1");
    writeTorvexKey(QStringLiteral("Torvex_Profile"), QStringLiteral("TORVEX"));
    writeTorvexKey(QStringLiteral("Torvex_Addr"), user);
    writeTorvexKey(QStringLiteral("Password"), dovecot.password());
    writeTorvexKey(QStringLiteral("Printer_Type"), QStringLiteral("TORVEX PDF"));
    writeTorvexKey(QStringLiteral("Confirm_Receipt"), QStringLiteral("n"));
    writeTorvexKey(QStringLiteral("wake_probes"), QStringLiteral("0"));

    const QString faxPath = dir.filePath(QStringLiteral("large.tif"));
    int pages = 0;
    if (!writeLargeFax(faxPath, megabytes, &pages)) {
        std::fprintf(stderr, "cannot write the fax\n");
        return 1;
    }
    const double faxMb = double(QFileInfo(faxPath).size()) / (1024.0 * 1024.0);
    const QString messagePath = dir.filePath(QStringLiteral("message.eml"));
    const double messageMb = double(deliverMessage(dovecot, faxPath, user, messagePath)) / (1024.0 * 1024.0);

    const bench::Measured run = bench::runMeasured(
        {QCoreApplication::applicationDirPath() + QStringLiteral("/vxprintu"), QStringLiteral("/0")});
    int printedPages = 0;
    const QDir printouts(home + QStringLiteral("/Printouts"));
    for (const QFileInfo& pdf : printouts.entryInfoList({QStringLiteral("*.pdf")}, QDir::Files))
        printedPages += qMax(0, test::pdfPageCount(pdf.filePath()));
    const double peakMb = double(run.peakRssKb) / 1024.0;
    std::printf("one run over a TORVEX with a fax of %.1f MB (%d pages, message %.1f MB) to \"TORVEX PDF\"\n", faxMb,
                pages, messageMb);
    std::printf("  vxprintu /0   %8.2f s   peak %7.1f MB (bound %.0f MB: %s)\n", run.seconds, peakMb, kBoundMb,
                peakMb <= kBoundMb ? "within" : "EXCEEDED");
    std::printf("  printed       %d pages, session %s, last_error \"%s\", exit %d\n", printedPages,
                qPrintable(readTorvexKey(QStringLiteral("session"))), qPrintable(readTorvexKey(QStringLiteral("last_error"))),
                run.exitCode);

    bench::printFigure("large fax run", "attachment", faxMb, "MB");
    bench::printFigure("large fax run", "time", run.seconds, "s");
    bench::Measured peer;
    if (!QStandardPaths::findExecutable(QStringLiteral("ripmime")).isEmpty()) {
        const QString out = dir.filePath(QStringLiteral("ripmime"));
        QDir().mkpath(out);
        peer = bench::runMeasured({QStringLiteral("ripmime"), QStringLiteral("-i"), messagePath, QStringLiteral("-d"), out});
        bench::printMeasured("ripmime (decoding only)", peer, messageMb);
        bench::printFigure("large fax run", "peak memory", peakMb, "MB", "ripmime", double(peer.peakRssKb) / 1024.0);
    } else {
        bench::printFigure("large fax run", "peak memory", peakMb, "MB");
    }
    const bool printedAll = readTorvexKey(QStringLiteral("session")) == QLatin1String("1,0,0,0");
    return run.exitCode == 0 && printedAll && peakMb <= kBoundMb ? 0 : 1;
}
