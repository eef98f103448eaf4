// Idle cost of the scheduler: starts vxschedule on a private settings file
// and program folder (offscreen, a normal run with the schedule ticking),
// lets it settle, then measures the CPU time it uses over a minute (or the
// seconds given as the first argument) and its resident memory.
//
//   build/bin/bench_scheduler_idle [seconds]
#include "figure.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <unistd.h>

namespace {

// utime + stime of a process in clock ticks, from /proc/<pid>/stat.
long long cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    // After the command name: state is field 3, utime 14, stime 15.
    return fields.value(11).toLongLong() + fields.value(12).toLongLong();
}

QByteArray statusField(qint64 pid, const QByteArray& name)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(name + ':'))
            return line.mid(name.size() + 1).trimmed();
    return {};
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 60;

    QTemporaryDir dir;
    const QString home = dir.filePath(QStringLiteral("home"));
    QDir().mkpath(home);
    QFile account(home + QStringLiteral("/account.ini"));
    account.open(QIODevice::WriteOnly);
    account.write("[MYINFO]\n");
    account.close();
    QFile ini(dir.filePath(QStringLiteral("torvex.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write("[TORVEX]\nUse_Defaults=2\nActivate_Scheduler=y\nCycle_Minutes=60\n"
              "Torvex_Addr=4420712345@torvex.net\n");
    ini.close();

    QProcess scheduler;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TORVEX_HOME"), home);
    env.insert(QStringLiteral("TORVEX_INI"), ini.fileName());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("TORVEX_TIME_SCALE"));
    scheduler.setProcessEnvironment(env);
    scheduler.start(QCoreApplication::applicationDirPath() + QStringLiteral("/vxschedule"), {});
    if (!scheduler.waitForStarted(10000)) {
        std::fprintf(stderr, "vxschedule did not start\n");
        return 1;
    }
    QThread::sleep(3);  // past start-up
    const qint64 pid = scheduler.processId();
    const long long before = cpuTicks(pid);
    QThread::sleep(seconds);
    const long long after = cpuTicks(pid);
    const QByteArray rss = statusField(pid, "VmRSS");
    const QByteArray peak = statusField(pid, "VmHWM");
    scheduler.terminate();
    if (!scheduler.waitForFinished(5000))
        scheduler.kill();

    if (before < 0 || after < 0) {
        std::fprintf(stderr, "vxschedule ended early\n");
        return 1;
    }
    const double tick = double(sysconf(_SC_CLK_TCK));
    std::printf("scheduler idle over %d s: CPU %.3f s (%.4f %%)\n", seconds,
                double(after - before) / tick, 100.0 * double(after - before) / tick / seconds);
    std::printf("scheduler resident memory: %s (peak %s)\n", rss.constData(), peak.constData());
    torvex::bench::printFigure("scheduler idle", "CPU per minute", double(after - before) / tick * 60.0 / seconds, "s");
    torvex::bench::printFigure("scheduler idle", "resident memory", rss.trimmed().split(' ').first().toDouble() / 1024.0, "MB");
    return 0;
}
