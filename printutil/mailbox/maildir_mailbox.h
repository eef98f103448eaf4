#pragma once

#include "mailbox_system.h"

#include "platform/maildir/maildir_profile.h"

#include <optional>

namespace torvex {

// The mailbox over Maildir profiles in profiles/ of the program folder: the
// Inbox is the Maildir's root, folders are Maildir++ subfolders, messages
// are the files in them.
class MaildirMailboxSystem final : public MailboxSystem {
public:
    explicit MaildirMailboxSystem(QString programFolder);

    bool SessionLogIn(const QString& profileName) override;
    [[nodiscard]] QString sessionName() const override;
    void Logoff() override;

    [[nodiscard]] std::unique_ptr<MailFolder> Inbox() override;
    [[nodiscard]] std::unique_ptr<MailFolder> RootFolder() override;
    void DeliverNow() override;
    [[nodiscard]] std::unique_ptr<MailMessage> GetMessage(const QString& messageId) override;
    [[nodiscard]] QString pendingMovesPath() const override;

    bool addToInbox(const NewInboxMessage& message) override;

private:
    QString programFolder_;
    std::optional<MailboxProfile> session_;
};

}  // namespace torvex
