// POP3 download of 200 messages of 100 KB from a local Dovecot: our client
// beside Debian's fetchmail delivering the same messages (into a BSMTP
// file, so neither starts a process per message), with peak memory.
// Usage: bench_pop3_download [messages] [kilobytes]
#include "child_measure.h"

#include "printutil/pop3_client.h"
#include "printutil/run_context.h"
#include "tests/support/dovecot_server.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

using namespace torvex;

namespace {

// The child: one fetch into <home>/In.
int fetch(const QString& home, const QString& login, const QString& password)
{
    RunContext ctx;
    ctx.programFolder = home;
    ctx.folders = runFoldersIn(home);
    prepareRunFolders(ctx.folders, false);
    ctx.gLogin = login;
    ctx.gPOPServer = QStringLiteral("127.0.0.1");
    ctx.info.Password = password;
    ctx.info.gTimoutMinutes = 2;
    Pop3Client client(ctx);
    client.CHECKMAIL_Click();
    return ctx.gLastError.isEmpty() ? 0 : 1;
}

QByteArray message(int n, int kilobytes)
{
    QByteArray text = "From: <sender@example.org>\r\nSubject: TORVEX " + QByteArray::number(n) + "\r\n\r\n";
    const QByteArray line = QByteArray(76, char('a' + n % 26)) + "\r\n";
    while (text.size() < kilobytes * 1024)
        text += line;
    return text;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args[1] == QLatin1String("--fetch"))
        return fetch(args[2], args[3], args[4]);
    const int count = args.size() > 1 ? args[1].toInt() : 200;
    const int kilobytes = args.size() > 2 ? args[2].toInt() : 100;

    test::DovecotServer dovecot;
    if (!test::DovecotServer::available() || !dovecot.start()) {
        std::printf("Dovecot could not be started\n%s\n", qPrintable(dovecot.log()));
        return 1;
    }
    QTemporaryDir dir;
    const double megabytes = double(count) * kilobytes / 1024.0;
    std::printf("POP3 download of %d messages of %d KB (%.1f MB) from Dovecot on port %u\n", count, kilobytes,
                megabytes, dovecot.port());
    std::fflush(stdout);

    const auto seed = [&] {
        for (int n = 1; n <= count; ++n)
            dovecot.deliver(message(n, kilobytes));
    };
    seed();
    qputenv("TORVEX_POP3_PORT", QByteArray::number(dovecot.port()));
    qputenv("TORVEX_INI", dir.filePath(QStringLiteral("torvex.ini")).toLocal8Bit());
    const bench::Measured ours = bench::runMeasured(
        {QCoreApplication::applicationFilePath(), QStringLiteral("--fetch"), dir.filePath(QStringLiteral("home")),
         dovecot.user(), dovecot.password()});
    const int stored = int(QDir(dir.filePath(QStringLiteral("home/In"))).entryList(QDir::Files).size());
    const bool emptied = dovecot.messages().isEmpty();

    if (QStandardPaths::findExecutable(QStringLiteral("fetchmail")).isEmpty()) {
        bench::printMeasured("Pop3Client", ours, megabytes);
        std::printf("fetchmail not installed\n");
        bench::printFigure("POP3 download", "time", ours.seconds, "s");
        bench::printFigure("POP3 download", "peak memory", double(ours.peakRssKb) / 1024.0, "MB");
        return stored == count && emptied ? 0 : 1;
    }
    seed();
    const QString rc = dir.filePath(QStringLiteral("fetchmailrc"));
    const QString bsmtp = dir.filePath(QStringLiteral("fetched.bsmtp"));
    {
        QFile f(rc);
        f.open(QIODevice::WriteOnly);
        f.write(QStringLiteral("set no bouncemail\npoll 127.0.0.1 protocol pop3 port %1 user \"%2\" password \"%3\" "
                               "is \"%2\" here no rewrite sslproto '' bsmtp \"%4\"\n")
                    .arg(dovecot.port())
                    .arg(dovecot.user(), dovecot.password(), bsmtp)
                    .toUtf8());
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    qputenv("FETCHMAILHOME", dir.path().toLocal8Bit());
    const bench::Measured theirs =
        bench::runMeasured({QStringLiteral("fetchmail"), QStringLiteral("-f"), rc, QStringLiteral("-N"),
                            QStringLiteral("--nosyslog"), QStringLiteral("-s"), QStringLiteral("-a")});

    bench::printMeasured("Pop3Client", ours, megabytes);
    std::printf("  stored %d files, server mailbox %s\n", stored, emptied ? "emptied" : "NOT emptied");
    bench::printMeasured("fetchmail (bsmtp)", theirs, megabytes);
    std::printf("  server mailbox %s\n", dovecot.messages().isEmpty() ? "emptied" : "NOT emptied");
    std::printf("time ratio ours / fetchmail:    %.2f\n", ours.seconds / theirs.seconds);
    std::printf("memory ratio ours / fetchmail:  %.2f\n", double(ours.peakRssKb) / double(theirs.peakRssKb));
    bench::printFigure("POP3 download", "time", ours.seconds, "s", "fetchmail", theirs.seconds);
    bench::printFigure("POP3 download", "peak memory", double(ours.peakRssKb) / 1024.0, "MB", "fetchmail",
                       double(theirs.peakRssKb) / 1024.0);
    return stored == count && emptied ? 0 : 1;
}
