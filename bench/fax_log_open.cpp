// Opening the fax log over a profile of many filed faxes: fills a private
// profile's "TORVEXes"/"Printed" folder with <count> TORVEXes (a one-page
// fax each, every tenth without a kept receipt, the rest with theirs in
// MDNs/, a fax every five minutes), then times opening the log and showing its first screen, and
// reading every row (a scroll to the end), beside `find` listing the same
// Maildir and `grep` reading every message's Subject line.
//
//   build/bin/bench_fax_log_open [count=10000]
#include "child_measure.h"

#include "platform/maildir/filed_folders.h"
#include "platform/maildir/maildir_store.h"
#include "printutil/decode/inbox_file.h"
#include "printutil/receipt/mdn_compose.h"
#include "scheduler/desktop/fax_log_model.h"
#include "tools/sample_fax.h"
#include "tools/sample_inbox.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>

using namespace torvex;

namespace {

constexpr int kScreenRows = 40;
// A busy office: a fax every five minutes, day and night (10 000 in five weeks).
constexpr int kSpacingSecs = 5 * 60;

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

double msOf(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int count = args.size() > 1 ? qMax(1, args[1].toInt()) : 10000;

    QTemporaryDir dir;
    const QString home = dir.filePath(QStringLiteral("home"));
    const QString root = home + QStringLiteral("/profiles/TORVEX");
    const MaildirFolder printed(root, filedFolders()[0].namePath);
    QDir().mkpath(home + QStringLiteral("/MDNs"));
    tools::SampleFaxOptions options;
    options.pages = 1;
    options.fine = false;
    const QString tiffPath = dir.filePath(QStringLiteral("fax.tif"));
    if (!printed.create() || !tools::writeSampleFaxTiff(tiffPath, options, tools::FaxCompression::Group4)) {
        std::fprintf(stderr, "cannot write the sample profile\n");
        return 1;
    }
    QFile tiff(tiffPath);
    tiff.open(QIODevice::ReadOnly);

    // Each copy as the Inbox writes it, with its own subject and Message-Id.
    tools::SampleTorvex sample;
    sample.to = QStringLiteral("user@torvex.net");
    sample.body = QStringLiteral("Cover text\r\n");
    sample.attachments = {{QStringLiteral("fax.tif;"), tiff.readAll()}};
    ReceiptRequest receipt;
    receipt.disposition = ReceiptDisposition::Processed;
    receipt.pageCount = QStringLiteral("1");
    const QDateTime start = QDateTime::fromSecsSinceEpoch(1'700'000'000);
    for (int i = 0; i < count; ++i) {
        const QString number = QStringLiteral("%1").arg(i, 9, 10, QLatin1Char('0'));
        sample.subject = QStringLiteral("Benchmark fax ") + number;
        sample.messageId = QStringLiteral("<%1@example.org>").arg(number);
        QBuffer content;
        content.open(QIODevice::WriteOnly);
        if (!writeInboxFile(tools::sampleInboxMessage(sample, dir.filePath(QStringLiteral("work"))), content))
            return 1;
        const QDateTime delivered = start.addSecs(qint64(i) * kSpacingSecs);
        const QString name = QStringLiteral("%1.M%2P1Q1.bench:2,S").arg(delivered.toSecsSinceEpoch()).arg(i);
        if (!writeFile(printed.path() + QStringLiteral("/cur/") + name, content.data()))
            return 1;
        if (i % 10 != 0) {
            receipt.receivedId = sample.messageId;
            const QDateTime named = delivered.addSecs(30);
            writeFile(home + QStringLiteral("/MDNs/") + timeStamp(named) + QStringLiteral(".MDN"),
                      composeMdnText(receipt, QStringLiteral("sender@example.org"), sample.to, named, named).toUtf8());
        }
    }

    if (qEnvironmentVariableIsSet("BENCH_FAXLOG_KEEP")) {
        dir.setAutoRemove(false);
        std::printf("profile kept in %s\n", qPrintable(root));
    }
    std::optional<FaxLogModel> model;
    QString newest;
    const double openMs = msOf([&] {
        model.emplace([&] { return FaxLogModel::Source{root, home}; });
        for (int row = 0; row < qMin(kScreenRows, model->rowCount()); ++row)
            for (int column = 0; column < FaxLogModel::ColumnCount; ++column)
                (void)model->index(row, column).data();
        newest = model->index(0, FaxLogModel::Subject).data().toString();
    });
    std::fflush(stdout);  // not again by the peers' children
    int withPages = 0;
    const double allMs = msOf([&] {
        for (int row = 0; row < model->log().size(); ++row)
            withPages += model->log().entry(row).pages > 0 ? 1 : 0;
    });
    const bench::Measured find = bench::runMeasured({QStringLiteral("find"), root, QStringLiteral("-type"), QStringLiteral("f")},
                                                    QStringLiteral("/dev/null"));
    const bench::Measured grep = bench::runMeasured(
        {QStringLiteral("grep"), QStringLiteral("-r"), QStringLiteral("-m1"), QStringLiteral("-h"), QStringLiteral("^Subject:"), root},
        QStringLiteral("/dev/null"));

    std::printf("fax log over %d filed TORVEXes (%d with pages known)\n", model->log().size(), withPages);
    std::printf("  open, first %d rows  %8.1f ms   (find lists the Maildir in %.1f ms)\n", kScreenRows, openMs,
                find.seconds * 1000.0);
    std::printf("  every row read      %8.1f ms   (grep reads every Subject in %.1f ms)\n", allMs, grep.seconds * 1000.0);
    std::printf("  newest row          %s\n", qPrintable(newest));
    bench::printFigure("fax log", "open, 1st screen", openMs, "ms", "find", find.seconds * 1000.0);
    bench::printFigure("fax log", "every row read", allMs, "ms", "grep", grep.seconds * 1000.0);
    return model->log().size() == count && withPages == count ? 0 : 1;
}
