#include "out_folder.h"

#include "mdn_sender.h"
#include "smtp_server_selection.h"

#include <QDir>
#include <QFile>

namespace torvex {

void FlushOutFolder(RunContext& ctx, SmtpContext& smtp, SmtpConversation& conversation)
{
    const QStringList files = QDir(ctx.folders.out).entryList(QDir::Files, QDir::NoSort);
    for (const QString& name : files) {
        const QString type = name.right(3).toUpper().trimmed();
        const QString path = ctx.folders.out + name;
        if (!SendOutFile(ctx, smtp, conversation, path))
            continue;
        if (type == QLatin1String("MDN") && ctx.info.Save_MDNs)
            SaveMDNCopy(ctx, name);
        QFile::remove(path);
    }
}

}  // namespace torvex
