// Fuzz target: one raw POP3 file through the MIME decoder. Whatever the
// input, decoding must end, stay in bounds, and write nothing but files
// inside the temp folder.
#include "printutil/decode/mime_decoder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir work;
    static const QString temp = work.filePath(QStringLiteral("temp")) + QLatin1Char('/');
    static const QString raw = work.filePath(QStringLiteral("1.TXT"));
    static const bool made = QDir().mkpath(temp);
    if (!made)
        std::abort();

    QFile file(raw);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();

    torvex::MimeDecoder decoder(temp, QStringLiteral("user@torvex.example"));
    decoder.setYield({});
    const auto message = decoder.decodeFile(raw);
    if (!message)
        std::abort();
    for (const auto& attachment : message->attachments) {
        if (QFileInfo(attachment.sourcePath).absolutePath() != QFileInfo(temp).absolutePath()
            || !QFileInfo::exists(attachment.sourcePath) || !attachment.name.endsWith(QLatin1Char(';'))
            || attachment.name.contains(QLatin1Char('/')) || attachment.name.contains(QChar(0)))
            std::abort();
        QFile::remove(attachment.sourcePath);
    }
    // Only the decoder's own files ever appear, and it removes its work file.
    if (!QDir(temp).isEmpty() || QDir(work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size() != 2)
        std::abort();
    return 0;
}
