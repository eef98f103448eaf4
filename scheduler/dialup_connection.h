#pragma once

#include "dialup_hooks.h"
#include "platform/modem/dialer.h"

#include <QObject>

namespace torvex {

class MainForm;

// The settings key naming the host looked up once a dial-up link is up, so
// the look-up travels over the new link and leaves its local address behind.
inline constexpr auto kDialUpLookupHostKey = "dialup_lookup_host";
inline constexpr auto kDefaultDialUpLookupHost = "www.debian.org";

// The dial-up connection behind the window's Dialer1: dials the chosen
// NetworkManager profile before a retrieval, waits for it in 60-second
// periods on Timer2, learns the link's local address, hangs up again, and
// writes the link's comings and goings into the "Line State" box.
class DialUpConnection final : public QObject, public DialUpHooks {
    Q_OBJECT
public:
    static constexpr int kPeriods = 5;
    static constexpr int kPeriodMs = 60000;
    static constexpr int kSettleMs = 20000;

    explicit DialUpConnection(MainForm& form);

    bool installed() override;
    QStringList phoneBookEntries() override;
    bool connected() override;
    QString statusText() override;
    QString currentEntry() override;
    void setCurrentEntry(const QString& entry) override;

    bool IsDialUpConnected() override;
    void DisConnectDialUp() override;

    [[nodiscard]] Dialer& Dialer1() { return dialer_; }

private:
    void start();
    // Runs Timer2 for ms; with watchLink, ends early (true) once the link is up.
    bool waitOnTimer2(int ms, bool watchLink);
    void status(const QString& text);

    MainForm& form_;
    Dialer dialer_;
    bool started_ = false;
};

}  // namespace torvex
