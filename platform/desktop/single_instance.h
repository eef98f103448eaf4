#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

namespace torvex {

// Tells whether another instance of a program runs for the same program
// folder and settings file, and lets a second start ask the first one to
// come forward. The first instance holds an flock on a lock file (released
// by the kernel when it ends, however it ends) and listens on a local
// socket; a later one finds the lock taken and knocks on the socket.
class SingleInstance final : public QObject {
    Q_OBJECT
public:
    // programName names the program ("vxprintu", "vxschedule"); the instance
    // key also covers the program folder and the settings file.
    explicit SingleInstance(const QString& programName, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when another instance held the lock at construction.
    [[nodiscard]] bool isPreviousInstance() const { return fd_ < 0; }

    // From a second instance: ask the first to bring its window forward.
    // True when the first instance took the request.
    bool activatePrevious(int timeoutMs = 2000) const;

    // In the first instance: until when it expects to be done, for a later
    // start to see (kept in the lock file).
    void setTimeBound(const QDateTime& until) const;

    // In a later instance: when the first one started and the time bound it
    // last set; invalid times when it set none.
    struct Bound {
        QDateTime started;
        QDateTime until;
    };
    [[nodiscard]] Bound previousBound() const;

Q_SIGNALS:
    // In the first instance: a later start asked to be brought forward.
    void activationRequested();

private:
    QString key_;
    QByteArray lockPath_;
    int fd_ = -1;
    QDateTime started_;
    std::unique_ptr<QLocalServer> server_;
};

}  // namespace torvex
