#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

class QProcess;

namespace torvex {

// The dial-up control over NetworkManager, driven through nmcli: its
// connection profiles are the phone-book entries, a link is up while the
// profile named by PhoneEntry is an activated connection, Connect brings
// that profile up and HangUp takes it down. Both run nmcli in the
// background; the link's state is polled every few seconds, and a change
// of it is announced by connected() and disconnected().
class Dialer final : public QObject {
    Q_OBJECT
public:
    static constexpr int kPollMs = 5000;

    explicit Dialer(QObject* parent = nullptr);
    ~Dialer() override;

    // False when nmcli is not on the PATH.
    [[nodiscard]] bool isInstalled() const { return !program_.isEmpty(); }

    // The connection profiles in nmcli's order (asks nmcli and waits).
    [[nodiscard]] QStringList phoneBookEntries() const;

    [[nodiscard]] const QString& PhoneEntry() const { return phoneEntry_; }
    void setPhoneEntry(const QString& entry);

    // The link's state as last seen; refresh() asks nmcli now and waits.
    [[nodiscard]] bool Connected() const;
    void refresh();

    // "Connected", "Connecting", "Disconnecting" or "Disconnected".
    [[nodiscard]] QString statusText() const;

    void Connect();
    void HangUp();

Q_SIGNALS:
    void connected();
    void disconnected();

private:
    [[nodiscard]] QString stateOf(const QString& entry) const;
    void startPoll();
    void takeActiveList(const QByteArray& terse);
    void runInBackground(const QStringList& args);

    QString program_;
    QString phoneEntry_;
    QHash<QString, QString> active_;  // activated, activating, ... by profile name
    bool wasConnected_ = false;
    QTimer pollTimer_;
    std::unique_ptr<QProcess> poll_;
    std::unique_ptr<QProcess> action_;  // the running "up" or "down"
};

// One line of nmcli's terse output split into its fields ("\:" is a colon
// inside a field, "\\" a backslash).
[[nodiscard]] QStringList splitTerseLine(const QString& line);

}  // namespace torvex
