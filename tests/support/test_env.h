#pragma once

#include "tools/sample_fax.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

namespace torvex::test {

// A private settings file and program folder for one test: sets
// TORVEX_INI and TORVEX_HOME for this process and the programs it starts.
class TestEnv {
public:
    TestEnv();

    [[nodiscard]] QString iniPath() const { return ini_; }
    [[nodiscard]] QString home() const { return home_; }
    [[nodiscard]] QString path(const QString& name) const { return home_ + QLatin1Char('/') + name; }

    // Writes the file whole (for tests that need exact content).
    void writeFile(const QString& name, const QByteArray& content) const;
    [[nodiscard]] QByteArray readFile(const QString& name) const;

private:
    QTemporaryDir dir_;
    QString ini_;
    QString home_;
};

// The folder the built programs are in (TORVEX_BIN_DIR, set by CTest).
[[nodiscard]] QString binDir();
[[nodiscard]] QString sourceDir();

struct ProcessResult {
    int exitCode = -1;
    bool finished = false;
    QByteArray out;
    QByteArray err;
};

// The whole file; empty when it cannot be read.
[[nodiscard]] QByteArray readWholeFile(const QString& path);
// Writes the file whole; false when it could not.
bool writeWholeFile(const QString& path, const QByteArray& content);

// A sample fax of that many pages (at standard resolution unless fine),
// written to path; its bytes, empty when it could not be written.
[[nodiscard]] QByteArray sampleFaxTiff(const QString& path, int pages,
                                       tools::FaxCompression compression = tools::FaxCompression::Group3,
                                       bool fine = false);
// Polls every 100 ms, without running the event loop, until done() holds or
// timeoutMs have passed; whether it held.
bool pollUntil(const std::function<bool()>& done, int timeoutMs);
// Ends a process the test started: asked to end first, killed if it will not.
void endProcess(QProcess& process);

// Runs a built program to its end (or until timeoutMs) with the test's
// environment plus extra variables ("NAME=value").
ProcessResult runProgram(const QString& program, const QStringList& args, int timeoutMs = 60000,
                         const QStringList& extraEnv = {});

}  // namespace torvex::test
