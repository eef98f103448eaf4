#include "test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QThread>
#include <QtTest>

namespace torvex::test {

TestEnv::TestEnv()
{
    ini_ = dir_.filePath(QStringLiteral("config/torvex.ini"));
    home_ = dir_.filePath(QStringLiteral("home"));
    QDir().mkpath(home_);
    qputenv("TORVEX_INI", ini_.toUtf8());
    qputenv("TORVEX_HOME", home_.toUtf8());
}

void TestEnv::writeFile(const QString& name, const QByteArray& content) const
{
    const QString full = name.startsWith(QLatin1Char('/')) ? name : path(name);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QVERIFY(writeWholeFile(full, content));
}

QByteArray TestEnv::readFile(const QString& name) const
{
    return readWholeFile(name.startsWith(QLatin1Char('/')) ? name : path(name));
}

QByteArray readWholeFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeWholeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

QByteArray sampleFaxTiff(const QString& path, int pages, tools::FaxCompression compression, bool fine)
{
    tools::SampleFaxOptions options;
    options.pages = pages;
    options.fine = fine;
    QDir().mkpath(QFileInfo(path).path());
    if (!tools::writeSampleFaxTiff(path, options, compression))
        return {};
    return readWholeFile(path);
}

bool pollUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() >= timeoutMs)
            return false;
        QThread::msleep(100);
    }
    return true;
}

void endProcess(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

QString binDir()
{
    const QString dir = qEnvironmentVariable("TORVEX_BIN_DIR");
    return dir.isEmpty() ? QCoreApplication::applicationDirPath() : dir;
}

QString sourceDir()
{
    return qEnvironmentVariable("TORVEX_SOURCE_DIR");
}

ProcessResult runProgram(const QString& program, const QStringList& args, int timeoutMs,
                         const QStringList& extraEnv)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& entry : extraEnv)
        env.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    process.setProcessEnvironment(env);
    const QString path = program.contains(QLatin1Char('/')) ? program : binDir() + QLatin1Char('/') + program;
    process.start(path, args);
    ProcessResult result;
    if (!process.waitForStarted(10000))
        return result;
    result.finished = process.waitForFinished(timeoutMs);
    if (!result.finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

}  // namespace torvex::test
