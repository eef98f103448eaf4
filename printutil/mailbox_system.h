#pragma once

#include <QString>

namespace torvex {

// The mailbox the run logs on to. One session at a time: every log-on
// replaces the previous session, every log-off drops it.
class MailboxSystem {
public:
    virtual ~MailboxSystem() = default;

    // True when the profile could be opened.
    virtual bool SessionLogIn(const QString& profileName) = 0;
    // The name of the profile actually in use after a log-on.
    [[nodiscard]] virtual QString sessionName() const = 0;
    virtual void Logoff() = 0;
};

// Stands in until the real mailbox is wired in: every profile opens and
// holds nothing.
class NullMailboxSystem final : public MailboxSystem {
public:
    bool SessionLogIn(const QString& profileName) override
    {
        name_ = profileName;
        return true;
    }
    [[nodiscard]] QString sessionName() const override { return name_; }
    void Logoff() override { name_.clear(); }

private:
    QString name_;
};

}  // namespace torvex
