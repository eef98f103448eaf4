// POP3 download of 200 messages of 100 KB from a local Dovecot: our client
// beside Debian's fetchmail delivering the same messages (into a BSMTP
// file, so neither starts a process per message), with peak memory; once
// in the clear and once over POP3S (a throw-away CA made by openssl).
// Usage: bench_pop3_download [messages] [kilobytes]
#include "child_measure.h"

#include "printutil/run/run_context.h"
#include "printutil/transport/pop3_client.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/test_certificates.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

using namespace torvex;

namespace {

// The child: one fetch into <home>/In, over POP3S on tlsPort when it is
// not 0, trusting the CA file.
int fetch(const QStringList& args)
{
    const QString& home = args[2];
    RunContext ctx;
    ctx.programFolder = home;
    ctx.folders = runFoldersIn(home);
    prepareRunFolders(ctx.folders, false);
    ctx.gLogin = args[3];
    ctx.gPOPServer = QStringLiteral("127.0.0.1");
    ctx.info.Password = args[4];
    ctx.info.gTimoutMinutes = 2;
    if (args[5] != QLatin1String("0")) {
        ctx.info.POP3_Security = QStringLiteral("tls");
        ctx.info.POP3_Port = args[5];
        ctx.info.Trusted_Certificate_File = args[6];
    }
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

// One round against a Dovecot of its own: plain (no certificates) or TLS
// only, POP3S. True when both clients emptied the mailbox and ours stored
// every message.
bool round(const char* name, int count, int kilobytes, const test::TestCertificates* tls)
{
    test::DovecotServer dovecot;
    if (tls)
        dovecot.useTls(tls->server().cert, tls->server().key);
    if (!dovecot.start()) {
        std::printf("Dovecot could not be started\n%s\n", qPrintable(dovecot.log()));
        return false;
    }
    const quint16 port = tls ? dovecot.tlsPort() : dovecot.port();
    const QString ca = tls ? tls->caFile() : QString();
    QTemporaryDir dir;
    const double megabytes = double(count) * kilobytes / 1024.0;
    std::printf("%s of %d messages of %d KB (%.1f MB) from Dovecot on port %u\n", name, count, kilobytes,
                megabytes, port);
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
         dovecot.user(), dovecot.password(), QString::number(tls ? port : 0), ca});
    const int stored = int(QDir(dir.filePath(QStringLiteral("home/In"))).entryList(QDir::Files).size());
    const bool emptied = dovecot.messages().isEmpty();
    const bool ok = stored == count && emptied;
    bench::printMeasured("Pop3Client", ours, megabytes);
    std::printf("  stored %d files, server mailbox %s\n", stored, emptied ? "emptied" : "NOT emptied");

    if (QStandardPaths::findExecutable(QStringLiteral("fetchmail")).isEmpty()) {
        std::printf("fetchmail not installed\n");
        bench::printFigure(name, "time", ours.seconds, "s");
        bench::printFigure(name, "peak memory", double(ours.peakRssKb) / 1024.0, "MB");
        return ok;
    }
    seed();
    const QString rc = dir.filePath(QStringLiteral("fetchmailrc"));
    const QString bsmtp = dir.filePath(QStringLiteral("fetched.bsmtp"));
    // fetchmail checks host names, not addresses: the certificate's
    // "localhost" stands for 127.0.0.1.
    const QString security = tls ? QStringLiteral("ssl sslcertck sslcertfile \"%1\" sslcommonname localhost").arg(ca)
                                 : QStringLiteral("sslproto ''");
    {
        QFile f(rc);
        f.open(QIODevice::WriteOnly);
        f.write(QStringLiteral("set no bouncemail\npoll 127.0.0.1 protocol pop3 port %1 user \"%2\" password \"%3\" "
                               "is \"%2\" here no rewrite %5 bsmtp \"%4\"\n")
                    .arg(port)
                    .arg(dovecot.user(), dovecot.password(), bsmtp, security)
                    .toUtf8());
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    qputenv("FETCHMAILHOME", dir.path().toLocal8Bit());
    const bench::Measured theirs =
        bench::runMeasured({QStringLiteral("fetchmail"), QStringLiteral("-f"), rc, QStringLiteral("-N"),
                            QStringLiteral("--nosyslog"), QStringLiteral("-s"), QStringLiteral("-a")});
    const bool theirsEmptied = dovecot.messages().isEmpty();
    bench::printMeasured("fetchmail (bsmtp)", theirs, megabytes);
    std::printf("  server mailbox %s\n", theirsEmptied ? "emptied" : "NOT emptied");
    std::printf("time ratio ours / fetchmail:    %.2f\n", ours.seconds / theirs.seconds);
    std::printf("memory ratio ours / fetchmail:  %.2f\n", double(ours.peakRssKb) / double(theirs.peakRssKb));
    bench::printFigure(name, "time", ours.seconds, "s", "fetchmail", theirs.seconds);
    bench::printFigure(name, "peak memory", double(ours.peakRssKb) / 1024.0, "MB", "fetchmail",
                       double(theirs.peakRssKb) / 1024.0);
    return ok && theirsEmptied;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 7 && args[1] == QLatin1String("--fetch"))
        return fetch(args);
    const int count = args.size() > 1 ? args[1].toInt() : 200;
    const int kilobytes = args.size() > 2 ? args[2].toInt() : 100;
    if (!test::DovecotServer::available()) {
        std::printf("Dovecot is not installed\n");
        return 1;
    }
    bool ok = round("POP3 download", count, kilobytes, nullptr);
    const test::TestCertificates certificates;
    if (certificates.ok())
        ok = round("POP3S download", count, kilobytes, &certificates) && ok;
    else
        std::printf("openssl could not make the certificates: no POP3S round\n");
    return ok ? 0 : 1;
}
