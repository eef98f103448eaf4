#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace torvex::test {

// A stand-in for NetworkManager's nmcli, put first on PATH for this
// process and the programs it starts. It knows the connection profiles and
// active connections the test gives it, logs every call, and answers the
// calls the dial-up layer makes: the profile list, the active list with
// states, "connection up id NAME" (which activates NAME unless told not
// to) and "connection down id NAME".
class FakeNmcli {
public:
    FakeNmcli();
    ~FakeNmcli();
    FakeNmcli(const FakeNmcli&) = delete;
    FakeNmcli& operator=(const FakeNmcli&) = delete;

    void setProfiles(const QStringList& names) const;
    // state: "activated", "activating", ...; an empty state removes it.
    void setActive(const QString& name, const QString& state) const;
    // Whether "connection up" activates the profile (it does by default);
    // upDelaySeconds makes the call take that long first.
    void setUpActivates(bool activates, double upDelaySeconds = 0) const;

    // One line per call: its arguments joined by blanks.
    [[nodiscard]] QStringList calls() const;

private:
    QTemporaryDir dir_;
    QByteArray oldPath_;
};

// While it lives, PATH holds no nmcli at all: NetworkManager is not installed.
class NoNmcli {
public:
    NoNmcli();
    ~NoNmcli();
    NoNmcli(const NoNmcli&) = delete;
    NoNmcli& operator=(const NoNmcli&) = delete;

private:
    QTemporaryDir empty_;
    QByteArray oldPath_;
};

}  // namespace torvex::test
