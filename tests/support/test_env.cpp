#include "test_env.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
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
    QFile file(full);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

QByteArray TestEnv::readFile(const QString& name) const
{
    QFile file(name.startsWith(QLatin1Char('/')) ? name : path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
    for (const QString& entry : extraEnv) {
        const qsizetype eq = entry.indexOf(QLatin1Char('='));
        env.insert(entry.left(eq), entry.mid(eq + 1));
    }
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
