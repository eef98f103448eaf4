#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace torvex::test {

// The service simulator (torvex-service-sim) started for one test on a free
// loopback port, with its own accounts file and request log; it is ended
// when the object goes.
class SimProcess {
public:
    explicit SimProcess(const QStringList& extraArgs = {});
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    [[nodiscard]] bool isRunning() const { return port_ != 0; }
    // "127.0.0.1:PORT", as VX_IP_Address names it.
    [[nodiscard]] QString address() const;
    [[nodiscard]] QString accountsPath() const { return dir_.filePath(QStringLiteral("accounts.json")); }

    // The /bbs requests seen so far: "target user=LOGIN" (or "user=-").
    [[nodiscard]] QStringList requests() const;
    void writeAccounts(const QByteArray& json) const;
    [[nodiscard]] QByteArray accounts() const;

    // Control requests (by https when the simulator serves it): the answer
    // mode, and the next /bbs answer verbatim.
    bool setMode(const QString& mode) const;
    bool setNextReply(const QString& html) const;

private:
    bool control(const QByteArray& target) const;

    QTemporaryDir dir_;
    QProcess process_;
    quint16 port_ = 0;
    bool https_ = false;  // started with --tls-cert
};

// A loopback port nobody listens on.
[[nodiscard]] quint16 unusedPort();

}  // namespace torvex::test
