#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace torvex {

class MainForm;

// The dial-up connection (the window's Dialer1) and the retrieval's dial
// and hang-up, as the scheduler's window calls them. Made by
// makeDialUpHooks() with the window it serves; an implementation reaches the
// controls (Combo1, Check12, Text8, Text18, txtStatus), Timer2, the status
// bar and the message boxes through that window.
class DialUpHooks {
public:
    virtual ~DialUpHooks() = default;

    // Dialer1's state as the window's loading needs it.
    [[nodiscard]] virtual bool installed() = 0;
    [[nodiscard]] virtual QStringList phoneBookEntries() = 0;
    [[nodiscard]] virtual bool connected() = 0;  // a dial-up link is up
    [[nodiscard]] virtual QString statusText() = 0;
    [[nodiscard]] virtual QString currentEntry() = 0;
    virtual void setCurrentEntry(const QString& entry) = 0;

    // Dials when needed; true when a link is up on return.
    virtual bool IsDialUpConnected() = 0;
    // Hangs up and reports the loss of the address.
    virtual void DisConnectDialUp() = 0;
};

[[nodiscard]] std::unique_ptr<DialUpHooks> makeDialUpHooks(MainForm& form);

}  // namespace torvex
