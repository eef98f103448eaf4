#include "maildir_message.h"

#include <QFile>

namespace torvex {
namespace {

bool isNamed(const MimeEntity& part)
{
    return !part.dispositionParam("filename").isEmpty() || !part.contentTypeParam("name").isEmpty();
}

QString fileNameOf(const MimeEntity& part)
{
    QString name = part.dispositionParam("filename");
    if (name.isEmpty())
        name = part.contentTypeParam("name");
    if (name.isEmpty()) {
        const QByteArray type = part.mimeType();
        name = QStringLiteral("UNKNOWN.")
            + QString::fromLatin1(type.mid(type.indexOf('/') + 1).left(3)).toUpper();
    }
    return name;
}

}  // namespace

QString withCrLf(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / 32);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r')) {
            out += QStringLiteral("\r\n");
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('\n')) {
            out += QStringLiteral("\r\n");
        } else {
            out += c;
        }
    }
    return out;
}

MailFile::MailFile(const QByteArray& data) : top_(parseMimeEntity(data))
{
    std::vector<int> path;
    collectParts(top_, path);
}

std::optional<MailFile> MailFile::read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return MailFile(file.readAll());
}

void MailFile::collectParts(const MimeEntity& entity, std::vector<int>& path)
{
    if (!entity.parts.empty()) {
        for (int i = 0; i < int(entity.parts.size()); ++i) {
            path.push_back(i);
            collectParts(entity.parts[size_t(i)], path);
            path.pop_back();
        }
        return;
    }
    if (entity.mimeType().startsWith("multipart/"))
        return;  // a multipart without parts holds nothing to show
    const bool inlineText = entity.mimeType().startsWith("text/") && !isNamed(entity)
        && entity.disposition() != "attachment";
    if (inlineText && entity.mimeType() == "text/plain" && !textPart_) {
        textPart_ = path;
        return;
    }
    if (inlineText && entity.mimeType() != "text/plain")
        return;  // another rendering of the text (HTML and the like)
    const QString source = fileNameOf(entity);
    const QByteArray storedName = entity.field(kAttachmentNameField);
    attachments_.push_back({storedName.isEmpty() ? source : decodeHeaderText(storedName), source, path});
}

const MimeEntity& MailFile::entityAt(const std::vector<int>& path) const
{
    const MimeEntity* entity = &top_;
    for (int index : path)
        entity = &entity->parts[size_t(index)];
    return *entity;
}

QString MailFile::messageClass() const
{
    const QString type = decodeHeaderText(top_.field(kMessageClassField)).trimmed();
    return type.isEmpty() ? QString::fromLatin1(kDefaultMessageClass) : type;
}

QString MailFile::text() const
{
    if (!textPart_)
        return {};
    const MimeEntity& part = entityAt(*textPart_);
    return withCrLf(decodeCharset(part.decodedBody(), part.contentTypeParam("charset").toLatin1()));
}

QString MailFile::subject() const
{
    return decodeHeaderText(top_.field("Subject"));
}

QString MailFile::senderAddress() const
{
    return addressOf(decodeHeaderText(top_.field("From")));
}

QDateTime MailFile::timeSent() const
{
    return parseMailDate(QString::fromLatin1(top_.field("Date")));
}

QDateTime MailFile::timeReceived() const
{
    const QByteArray stored = top_.field(kTimeReceivedField);
    if (!stored.isEmpty())
        return parseMailDate(QString::fromLatin1(stored));
    // The newest Received: line (the first) ends in the time of arrival.
    const QByteArray received = top_.field("Received");
    const qsizetype semi = received.lastIndexOf(';');
    return semi < 0 ? QDateTime() : parseMailDate(QString::fromLatin1(received.mid(semi + 1)));
}

QStringList MailFile::recipientNames() const
{
    QStringList names;
    const QList<QByteArray> stored = top_.allFields(kRecipientField);
    for (const QByteArray& name : stored)
        names << decodeHeaderText(name).trimmed();
    if (!names.isEmpty())
        return names;
    for (const char* field : {"To", "Cc"}) {
        const QList<QByteArray> values = top_.allFields(field);
        for (const QByteArray& value : values) {
            const QStringList mailboxes = splitAddressList(QString::fromLatin1(value));
            for (const QString& mailbox : mailboxes)
                names << decodeHeaderText(mailbox.toLatin1());
        }
    }
    return names;
}

QString MailFile::headerText() const
{
    return withCrLf(decodeCharset(top_.headerText, QByteArray()));
}

QString MailFile::attachmentName(int index) const
{
    return index >= 0 && index < attachmentCount() ? attachments_[size_t(index)].name : QString();
}

QString MailFile::attachmentSource(int index) const
{
    return index >= 0 && index < attachmentCount() ? attachments_[size_t(index)].source : QString();
}

QByteArray MailFile::attachmentContent(int index) const
{
    if (index < 0 || index >= attachmentCount())
        return {};
    return entityAt(attachments_[size_t(index)].path).decodedBody();
}

}  // namespace torvex
