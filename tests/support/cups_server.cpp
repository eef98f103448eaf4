#include "cups_server.h"

#include "dovecot_server.h"
#include "test_env.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTcpSocket>

#include <sys/stat.h>

namespace torvex::test {
namespace {

const QString kCupsd = QStringLiteral("/usr/sbin/cupsd");
const QString kLpadmin = QStringLiteral("/usr/sbin/lpadmin");

}  // namespace

CupsServer::CupsServer()
{
    // cupsd's filters run as "lp" when the test runs as root.
    ::chmod(QFile::encodeName(dir_.path()).constData(), 0777);
}

CupsServer::~CupsServer()
{
    stop();
}

bool CupsServer::available()
{
    return QFile::exists(kCupsd) && QFile::exists(kLpadmin);
}

bool CupsServer::start()
{
    const QString root = dir_.path();
    for (const char* sub : {"conf", "spool", "cache", "state", "log", "tmp", "out"}) {
        const QString path = root + QLatin1Char('/') + QLatin1String(sub);
        QDir().mkpath(path);
        ::chmod(QFile::encodeName(path).constData(), 0777);
    }
    port_ = freeLoopbackPort();
    const QByteArray conf = "Listen 127.0.0.1:" + QByteArray::number(port_) + "\n"
        "LogLevel info\nWebInterface No\nBrowsing Off\nDefaultAuthType None\n"
        "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
        "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n";
    const QByteArray r = root.toUtf8();
    const QByteArray files = "ServerRoot " + r + "/conf\nRequestRoot " + r + "/spool\nCacheDir " + r
        + "/cache\nStateDir " + r + "/state\nTempDir " + r + "/tmp\nAccessLog " + r + "/log/access_log\n"
        "ErrorLog " + r + "/log/error_log\nPageLog " + r + "/log/page_log\nFileDevice Yes\n";
    if (!writeWholeFile(root + QStringLiteral("/conf/cupsd.conf"), conf)
        || !writeWholeFile(root + QStringLiteral("/conf/cups-files.conf"), files))
        return false;
    process_ = std::make_unique<QProcess>();
    process_->setProcessChannelMode(QProcess::MergedChannels);
    process_->setStandardOutputFile(root + QStringLiteral("/log/stdout"));
    process_->start(kCupsd, {QStringLiteral("-f"), QStringLiteral("-c"), root + QStringLiteral("/conf/cupsd.conf"),
                             QStringLiteral("-s"), root + QStringLiteral("/conf/cups-files.conf")});
    if (!process_->waitForStarted(10000))
        return false;
    return pollUntil(
        [&] {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, port_);
            return process_->state() != QProcess::Running || probe.waitForConnected(500);
        },
        20000)
        && process_->state() == QProcess::Running;
}

void CupsServer::stop()
{
    if (process_)
        endProcess(*process_);
    process_.reset();
}

QString CupsServer::address() const
{
    return QStringLiteral("127.0.0.1:%1").arg(port_);
}

bool CupsServer::addFileQueue(const QString& name, const QString& outputFile)
{
    const QStringList args{QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                           QStringLiteral("file://") + outputFile, QStringLiteral("-m"),
                           QStringLiteral("drv:///sample.drv/generic.ppd")};
    const ProcessResult lpadmin = runProgram(kLpadmin, args, 30000, {QStringLiteral("CUPS_SERVER=") + address()});
    return lpadmin.finished && lpadmin.exitCode == 0;
}

QMap<int, int> CupsServer::finishedJobPages(const QString& queue, int count, int timeoutMs) const
{
    // "<queue> <user> <job> [<time>] total <pages> ..." ends each job.
    const QRegularExpression total(QStringLiteral("^(\\S+) \\S+ (\\d+) \\[[^\\]]*\\] total (\\d+)"),
                                   QRegularExpression::MultilineOption);
    QMap<int, int> pages;
    pollUntil(
        [&] {
            pages.clear();
            auto it = total.globalMatch(QString::fromUtf8(readWholeFile(dir_.path() + QStringLiteral("/log/page_log"))));
            while (it.hasNext()) {
                const auto m = it.next();
                if (m.captured(1) == queue)
                    pages.insert(m.captured(2).toInt(), m.captured(3).toInt());
            }
            return pages.size() >= count;
        },
        timeoutMs);
    return pages;
}

QString CupsServer::log() const
{
    return QString::fromUtf8(readWholeFile(dir_.path() + QStringLiteral("/log/error_log")).right(4000));
}

}  // namespace torvex::test
