#include "move_list.h"

#include "mailbox_system.h"

namespace torvex {

int MoveList::execute(MailboxSystem& mailbox) const
{
    int moved = 0;
    for (const Entry& entry : entries_) {
        if (entry.folderId.isEmpty())
            continue;
        const std::unique_ptr<MailMessage> message = mailbox.GetMessage(entry.messageId);
        if (message && message->MoveTo(entry.folderId))
            ++moved;
    }
    return moved;
}

}  // namespace torvex
