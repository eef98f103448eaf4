#pragma once

#include "platform/modem/dialer.h"

#include <QObject>

class QTimer;

namespace torvex {

class SchedulerView;
class ServiceAccount;
class StatusBar;
struct SchedulerState;

// The settings key naming the host looked up once a dial-up link is up, so
// the look-up travels over the new link and leaves its local address behind.
inline constexpr auto kDialUpLookupHostKey = "dialup_lookup_host";
inline constexpr auto kDefaultDialUpLookupHost = "www.debian.org";

// The dial-up connection (the window's Dialer1): dials the chosen
// NetworkManager profile before a retrieval, waits for it in 60-second
// periods on Timer2, learns the link's local address, hangs up again, and
// writes the link's comings and goings into the "Line State" box.
class DialUpConnection final : public QObject {
    Q_OBJECT
public:
    static constexpr int kPeriods = 5;
    static constexpr int kPeriodMs = 60000;
    static constexpr int kSettleMs = 20000;

    DialUpConnection(SchedulerView& view, SchedulerState& state, StatusBar& status, QTimer& timer2,
                     ServiceAccount& account);

    // Dialer1's state as the window's loading needs it.
    [[nodiscard]] bool installed() const { return dialer_.isInstalled(); }
    [[nodiscard]] QStringList phoneBookEntries() const { return dialer_.phoneBookEntries(); }
    [[nodiscard]] bool connected();  // a dial-up link is up
    [[nodiscard]] QString statusText();
    [[nodiscard]] QString currentEntry() const { return dialer_.PhoneEntry(); }
    void setCurrentEntry(const QString& entry);

    // Dials when needed; true when a link is up on return.
    bool IsDialUpConnected();
    // Hangs up and reports the loss of the address.
    void DisConnectDialUp();

private:
    void start();

    SchedulerView& view_;
    SchedulerState& state_;
    StatusBar& status_;
    QTimer& timer2_;
    ServiceAccount& account_;
    Dialer dialer_;
    bool started_ = false;
};

}  // namespace torvex
