// One print run of many TORVEXes onto the built-in PDF printer: fills a
// private Inbox with <count> TORVEXes, each a <pages>-page Group 3 fax,
// runs vxprintu over it and prints the run's wall time, its peak memory
// and what it printed.
//
//   build/bin/bench_print_run_pdf [count=100] [pages=3]
#include "child_measure.h"

#include "common/telvane_info.h"
#include "printutil/mailbox/maildir_mailbox.h"
#include "tools/sample_fax.h"
#include "tools/sample_inbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>

using namespace torvex;

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int count = args.size() > 1 ? qMax(1, args[1].toInt()) : 100;
    const int pages = args.size() > 2 ? qMax(1, args[2].toInt()) : 3;

    QTemporaryDir dir;
    const QString home = dir.filePath(QStringLiteral("home"));
    qputenv("TORVEX_INI", dir.filePath(QStringLiteral("torvex.ini")).toUtf8());
    qputenv("TORVEX_HOME", home.toUtf8());
    QDir().mkpath(home + QStringLiteral("/profiles/TORVEX"));
    writeTorvexKey(QStringLiteral("Torvex_Profile"), QStringLiteral("TORVEX"));
    writeTorvexKey(QStringLiteral("Torvex_Addr"), QStringLiteral("user@torvex.net"));
    writeTorvexKey(QStringLiteral("Printer_Type"), QStringLiteral("TORVEX PDF"));

    tools::SampleFaxOptions options;
    options.pages = pages;
    options.fine = false;
    const QString tiffPath = dir.filePath(QStringLiteral("fax.tif"));
    if (!tools::writeSampleFaxTiff(tiffPath, options, tools::FaxCompression::Group3)) {
        std::fprintf(stderr, "cannot write the sample fax\n");
        return 1;
    }
    QFile tiff(tiffPath);
    tiff.open(QIODevice::ReadOnly);
    const QByteArray fax = tiff.readAll();

    MaildirMailboxSystem mailbox(home);
    mailbox.SessionLogIn(QStringLiteral("TORVEX"));
    for (int i = 1; i <= count; ++i) {
        tools::SampleTorvex sample;
        sample.to = QStringLiteral("user@torvex.net");
        sample.subject = QStringLiteral("Benchmark fax %1").arg(i);
        sample.body = QStringLiteral("Cover text of fax %1\r\n.\r\n").arg(i);
        sample.attachments = {{QStringLiteral("fax.tif;"), fax}};
        tools::addSampleTorvex(mailbox, sample, dir.filePath(QStringLiteral("work")));
    }
    mailbox.Logoff();

    const bench::Measured run = bench::runMeasured(
        {QCoreApplication::applicationDirPath() + QStringLiteral("/vxprintu"), QStringLiteral("/6")});

    const QDir printouts(home + QStringLiteral("/Printouts"));
    const QFileInfoList pdfs = printouts.entryInfoList({QStringLiteral("*.pdf")}, QDir::Files);
    qint64 bytes = 0;
    for (const QFileInfo& pdf : pdfs)
        bytes += pdf.size();
    std::printf("print run, %d TORVEXes of %d fax pages (%.1f KB each) to \"TORVEX PDF\"\n", count, pages,
                double(fax.size()) / 1024.0);
    std::printf("  wall time    %8.2f s   (%.1f ms per TORVEX, %.1f fax pages/s)\n", run.seconds,
                run.seconds * 1000.0 / count, run.seconds > 0 ? count * pages / run.seconds : 0.0);
    std::printf("  peak memory  %8.1f MB\n", double(run.peakRssKb) / 1024.0);
    std::printf("  printouts    %8d PDF files, %.1f MB\n", int(pdfs.size()), double(bytes) / (1024.0 * 1024.0));
    std::printf("  session      %s, exit %d\n", qPrintable(readTorvexKey(QStringLiteral("session"))), run.exitCode);
    bench::printFigure("print run to PDF", "time per TORVEX", run.seconds * 1000.0 / count, "ms");
    bench::printFigure("print run to PDF", "peak memory", double(run.peakRssKb) / 1024.0, "MB");
    return run.exitCode == 0 ? 0 : 1;
}
