#pragma once

#include <QMap>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace torvex::test {

// Debian's cupsd for one test: its own configuration, spool and logs in a
// temporary folder, listening on a free loopback port. Queues print
// through the generic PostScript driver into a file, and the page log
// tells how many pages each job had. Stopped on destruction.
class CupsServer {
public:
    CupsServer();
    ~CupsServer();
    CupsServer(const CupsServer&) = delete;
    CupsServer& operator=(const CupsServer&) = delete;

    [[nodiscard]] static bool available();

    bool start();
    void stop();

    // "127.0.0.1:port", for CUPS_SERVER.
    [[nodiscard]] QString address() const;
    // A queue whose device is the file; true when lpadmin took it.
    bool addFileQueue(const QString& name, const QString& outputFile);
    // Pages of each finished job of the queue, by job number, once count
    // jobs have finished (or the time is up).
    [[nodiscard]] QMap<int, int> finishedJobPages(const QString& queue, int count, int timeoutMs = 120000) const;
    [[nodiscard]] QString log() const;

private:
    QTemporaryDir dir_;
    quint16 port_ = 0;
    std::unique_ptr<QProcess> process_;
};

}  // namespace torvex::test
