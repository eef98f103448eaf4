#include "mime_content.h"

namespace torvex {
namespace {

enum class TextKind { None, Plain, Html };

TextKind textKind(const MimePart& part)
{
    if (!part.children.empty() || !part.header.fileName().isEmpty())
        return TextKind::None;
    const QByteArray type = part.header.mimeType();
    if (type == "text/plain")
        return TextKind::Plain;
    if (type == "text/html")
        return TextKind::Html;
    return TextKind::None;
}

bool holds(const MimeStructure& structure, int index, TextKind kind)
{
    const MimePart& part = structure.parts[size_t(index)];
    if (part.children.empty())
        return textKind(part) == kind;
    for (int child : part.children) {
        if (holds(structure, child, kind))
            return true;
    }
    return false;
}

// For each multipart/alternative, the child whose rendering is shown:
// the first with plain text, else the first with HTML; -1 for none.
std::vector<int> shownAlternatives(const MimeStructure& structure)
{
    std::vector<int> shown(structure.parts.size(), -1);
    for (size_t i = 0; i < structure.parts.size(); ++i) {
        const MimePart& part = structure.parts[i];
        if (part.header.mimeType() != "multipart/alternative")
            continue;
        for (TextKind kind : {TextKind::Plain, TextKind::Html}) {
            for (int child : part.children) {
                if (shown[i] < 0 && holds(structure, child, kind))
                    shown[i] = child;
            }
        }
    }
    return shown;
}

}  // namespace

QString unnamedFileName(const QByteArray& mimeType)
{
    const qsizetype slash = mimeType.indexOf('/');
    const QByteArray main = mimeType.left(slash).trimmed().toUpper();
    if (main != "IMAGE")
        return QStringLiteral("UNKNOWN.TXT");
    return QStringLiteral("UNKNOWN.") + QString::fromLatin1(mimeType.mid(slash + 1).trimmed().left(3).toUpper());
}

std::vector<MimeContentItem> mimeContent(const MimeStructure& structure)
{
    const std::vector<int> shown = shownAlternatives(structure);
    std::vector<MimeContentItem> items;
    for (size_t i = 0; i < structure.parts.size(); ++i) {
        const MimePart& part = structure.parts[i];
        if (!part.children.empty())
            continue;
        const QByteArray type = part.header.mimeType();
        // A multipart whose delimiters never came holds nothing to show.
        if (type.startsWith("multipart/") && !part.header.parameter("Content-Type", "boundary").isEmpty())
            continue;
        const TextKind kind = textKind(part);
        if (kind != TextKind::None) {
            bool visible = true;
            for (int child = int(i), parent = part.parent; parent >= 0;
                 child = parent, parent = structure.parts[size_t(parent)].parent) {
                if (shown[size_t(parent)] >= 0 && shown[size_t(parent)] != child)
                    visible = false;
            }
            items.push_back({int(i), visible ? MimeRole::Text : MimeRole::Skipped, kind == TextKind::Html, {}});
            continue;
        }
        QString name = part.header.fileName();
        if (name.isEmpty())
            name = unnamedFileName(type);
        items.push_back({int(i), MimeRole::File, false, name});
    }
    return items;
}

}  // namespace torvex
