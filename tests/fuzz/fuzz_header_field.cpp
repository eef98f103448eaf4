// Fuzz target: the header-field reader and the small parsers on any text.
#include "printutil/header_field.h"

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
    const torvex::ContentType type = torvex::ParseContentType(text);
    (void)torvex::GetFileExtension(type.name);
    (void)torvex::GetParam(text, QStringLiteral(";"), QStringLiteral("filename"), false);
    (void)torvex::GetParam(text, QStringLiteral(";"), QStringLiteral("2"), true);
    QString rest;
    (void)torvex::Parse(text, QStringLiteral("="), rest);
    return 0;
}
