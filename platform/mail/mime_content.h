#pragma once

#include "mime_parser.h"

#include <QString>

#include <vector>

namespace torvex {

// What a reader of a message shows, at any depth of nesting: its text
// parts, its files, and the renderings it passes over.
enum class MimeRole {
    Text,     // part of the message text
    File,     // an attached file
    Skipped,  // another rendering of a text already shown (multipart/alternative)
};

struct MimeContentItem {
    int part = 0;      // index into MimeStructure::parts
    MimeRole role = MimeRole::Text;
    bool html = false;  // Text: HTML, to be shown as plain text
    // File: the name the sender gave it, decoded; without one
    // "UNKNOWN." + the first three letters of an image subtype, else
    // "UNKNOWN.TXT".
    QString fileName;
};

// The leaves of the message in document order. A named part is a file; an
// unnamed text/plain or text/html part is text, except the renderings of a
// multipart/alternative other than the one shown (the first with plain
// text, else the first with HTML); other unnamed parts are files. Files
// count wherever they are nested.
[[nodiscard]] std::vector<MimeContentItem> mimeContent(const MimeStructure& structure);

// The file name an unnamed part of that type gets.
[[nodiscard]] QString unnamedFileName(const QByteArray& mimeType);

}  // namespace torvex
