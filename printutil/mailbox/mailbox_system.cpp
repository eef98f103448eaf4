#include "mailbox_system.h"

#include <QCoreApplication>

namespace torvex {

QString GetFolderID(const QString& name, MailFolder& parent, std::unique_ptr<MailFolder>& folder)
{
    const int count = parent.FolderCount();
    for (int i = 1; i <= count; ++i) {
        QCoreApplication::processEvents();
        std::unique_ptr<MailFolder> candidate = parent.Folder(i);
        if (candidate && candidate->Name() == name) {
            folder = std::move(candidate);
            return folder->ID();
        }
    }
    folder = parent.AddFolder(name);
    return folder ? folder->ID() : QString();
}

}  // namespace torvex
