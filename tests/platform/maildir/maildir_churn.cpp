// maildir_churn <root> move|deliver: works on a Maildir until it is killed.
// "move" passes every message round the Inbox and the folders A and B,
// marking some read on the way; "deliver" keeps delivering messages whose
// last line tells their length, so a reader can see one is whole.
#include "platform/maildir/maildir_store.h"

#include <QCoreApplication>
#include <QStringList>

using namespace torvex;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3)
        return 2;
    const MaildirFolder inbox(args[1], {});
    const MaildirFolder a = inbox.child(QStringLiteral("A"));
    const MaildirFolder b = inbox.child(QStringLiteral("B"));
    if (args[2] == QStringLiteral("deliver")) {
        for (qint64 n = 0;; ++n) {
            const QByteArray body(4096 + (n % 97) * 1024, 'x');
            (void)deliverToMaildir(inbox, "Subject: " + QByteArray::number(n) + "\r\n\r\n" + body
                                              + "\r\nLENGTH " + QByteArray::number(body.size()) + "\r\n");
        }
    }
    const MaildirFolder ring[] = {inbox, a, b};
    for (unsigned n = 0;; ++n) {
        const MaildirFolder& from = ring[n % 3];
        const MaildirFolder& to = ring[(n + 1) % 3];
        for (const MaildirEntry& entry : from.messages()) {
            if (n % 2 == 0)
                (void)markMaildirSeen(from, entry.baseName);
            (void)moveMaildirMessage(from, entry.baseName, to);
        }
    }
}
