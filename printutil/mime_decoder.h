#pragma once

#include "inbox_message.h"
#include "mime_decoder_lines.h"

#include "platform/codec.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <functional>
#include <optional>
#include <variant>

namespace torvex {

// Turns one raw message file fetched by POP3 (first line "+OK", last line
// ".") into a new Inbox message: text, subject, sender, times, the TORVEX
// recipient, and the file parts decoded into files of the temp folder.
class MimeDecoder {
public:
    // Parser states.
    enum class State : qint16 {
        Preamble = 100,    // before the first boundary line
        PartHeader = 200,  // reading the header lines of a part
        TextPart = 300,    // collecting the lines of a text/plain part
        PartStart = 350,   // the empty line after a part header: what is the part?
        FileStart = 400,   // first line of a file part
        FileBody = 500,    // further lines of a file part
        End = 600,         // after the closing boundary
    };

    // tempFolder ends in "/"; torvexAddr is Torvex_Addr.
    MimeDecoder(QString tempFolder, QString torvexAddr);

    // Called now and then while a long file is read, so the event loop
    // keeps running (processEvents by default).
    void setYield(std::function<void()> yield) { yield_ = std::move(yield); }

    // The message the file holds; its attachments' files lie in the temp
    // folder until the caller has stored the message. Empty when the file
    // cannot be read.
    [[nodiscard]] std::optional<NewInboxMessage> decodeFile(const QString& path);

private:
    struct Part {
        QString type;
        QString contentTypeName;
        QString dispositionName;
        QString fileName;
        QString encoding;
        void clear() { *this = Part(); }
    };
    using TextDecoder = std::variant<std::monostate, QuotedPrintableDecoder, Base64Decoder>;

    void readHeader(LineReader& reader);
    void chooseBody(qint64 fileLength);
    void takePiece(const LineReader::Piece& piece, bool lastLine);
    void partHeaderLine(const QByteArray& line);
    void partStart();
    void fileLine(const LineReader::Piece& piece, bool lastLine);
    void textLine(const LineReader::Piece& piece, bool lastLine);
    void endTextPart(const QByteArray& line);
    void attachPart();
    void finish();
    [[nodiscard]] bool isBoundaryLine(const LineReader::Piece& piece) const;
    void startTextDecoder(const QString& encoding);
    void appendBody(QByteArrayView bytes);
    void appendText(QByteArrayView bytes, bool lineEnded);
    void flushTextDecoder();
    void missingBoundary();

    QString temp_;
    QString torvexAddr_;
    std::function<void()> yield_;

    // One file's decoding.
    QByteArray header_;
    QByteArray body_;
    QString headerText_;
    QString messageText_;
    bool messageTextSet_ = false;
    QByteArray boundary_;  // "--" + the boundary, or empty without one
    State state_ = State::Preamble;
    Part part_;
    QFile partFile_;
    TextDecoder textDecoder_;
    bool skipRestOfLine_ = false;
    bool finished_ = false;
    int attachmentIndex_ = 0;
    NewInboxMessage message_;
};

// Decodes one raw file into the inbox and removes the decoded attachment
// files again; true when the inbox stored the message (or already held it
// under deliveryName).
bool DecodeIntoInbox(MimeDecoder& decoder, const QString& path, InboxWriter& inbox,
                     const QString& deliveryName = QString());

}  // namespace torvex
