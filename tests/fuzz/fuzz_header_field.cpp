// Fuzz target: the header-field reader and the file-type reader on any text.
#include "platform/mail/header_field.h"

#include <QString>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const char* field : {"From: ", "Subject: ", "Date:", "Content-Type:", "Disposition-Notification-To:"}) {
        const QString value = torvex::GetHeaderField(text, QString::fromLatin1(field));
        // A value never reaches past its line (or one joined continuation).
        if (value.size() > text.size())
            __builtin_trap();
    }
    (void)torvex::GetFileExtension(text);
    return 0;
}
