#include "delivery_ledger.h"

#include "platform/maildir/maildir_message.h"
#include "tests/support/pdf_reader.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace torvex::test {

QStringList maildirMessageFiles(const QString& folder)
{
    QStringList files;
    for (const char* sub : {"/new", "/cur"}) {
        const QDir dir(folder + QLatin1String(sub));
        for (const QString& name : dir.entryList(QDir::Files))
            files << dir.filePath(name);
    }
    return files;
}

std::optional<QMap<QString, int>> tokenCountsInPrintouts(const QString& folder, const QStringList& tokens)
{
    QMap<QString, int> counts;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name)) {
        const std::optional<QString> text = pdfText(dir.filePath(name));
        if (!text)
            return std::nullopt;
        for (const QString& token : tokens)
            counts[token] += int(text->count(token));
    }
    return counts;
}

QMap<QString, QStringList> foldersHolding(const QString& maildirRoot, const QStringList& tokens)
{
    QMap<QString, QStringList> where;
    QDirIterator folders(maildirRoot, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    while (folders.hasNext()) {
        const QString path = folders.next();
        const QString name = QFileInfo(path).fileName();
        if (!name.startsWith(QLatin1Char('.')))
            continue;
        for (const QString& file : maildirMessageFiles(path)) {
            const auto mail = MailFile::read(file);
            for (const QString& token : tokens) {
                if (mail && mail->text().contains(token))
                    where[token] << name;
            }
        }
    }
    return where;
}

int receiptsFor(const QList<SmtpTestServer::Delivery>& deliveries, const QString& subject)
{
    const QByteArray line = "Subject: RE: " + subject.toUtf8() + " From: ";
    int count = 0;
    for (const SmtpTestServer::Delivery& delivery : deliveries)
        count += delivery.content.contains(line) ? 1 : 0;
    return count;
}

}  // namespace torvex::test
