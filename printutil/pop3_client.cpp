#include "pop3_client.h"

#include "mime_decoder.h"
#include "pop3_client_store.h"
#include "status_handshake.h"

#include <QDir>

#include <algorithm>

namespace torvex {
namespace {

const QByteArray kCrLf("\r\n");

// Command arguments come from the settings; a line end in them must not
// start a second command.
QByteArray argument(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    bytes.replace('\r', QByteArray()).replace('\n', QByteArray());
    return bytes;
}

// The STAT reply with tabs, line ends and ":" turned into blanks.
QByteArray CleanReplyLine(QByteArray reply)
{
    for (char& c : reply) {
        if (c == '\t' || c == '\r' || c == '\n' || c == ':')
            c = ' ';
    }
    return reply;
}

// Holds the reading flag for the span of a routine that reads itself.
class ReadingScope {
public:
    explicit ReadingScope(MailSocket& socket) : socket_(socket) { socket_.reading = true; }
    ~ReadingScope() { socket_.reading = false; }
    ReadingScope(const ReadingScope&) = delete;
    ReadingScope& operator=(const ReadingScope&) = delete;

private:
    MailSocket& socket_;
};

}  // namespace

Pop3Client::Pop3Client(RunContext& ctx) : ctx_(ctx) {}

void Pop3Client::CHECKMAIL_Click()
{
    POPSocket.InitMailSocket(MailService::POP);
    POPSocket.timeoutTicks = ctx_.info.gTimoutMinutes;
    command_.clear();
    NumberOfMessages = 0;
    LengthOfMessages = 0;

    const auto finish = [this] {
        reportError();
        POPSocket.closeConnection();  // without QUIT the server keeps every message
    };

    POP_State = POP_OpenConnection;
    POP_Process();
    if (POPSocket.error != MailError::None)
        return finish();

    for (const PopState step : {POP_UserValidation, POP_PassValidation, POP_Statistics}) {
        POP_State = step;
        POPSocket.gSocketState = SocketState::AwaitingReply;
        POP_Process();
        if (POPSocket.error != MailError::None || POPSocket.waitForState(SocketState::DataReceived))
            return finish();
    }

    POP_State = POP_ReadStats;
    POP_Process();
    if (POPSocket.error != MailError::None)
        return finish();

    POPSocket.gSocketState = SocketState::AwaitingReply;
    SetPrintStatus(NumberOfMessages < 1
                       ? QStringLiteral("No new TORVEXes")
                       : QStringLiteral("Downloading %1 TORVEXes").arg(NumberOfMessages));

    for (qint32 n = 1; n <= NumberOfMessages; ++n) {
        POP_State = POP_Transaction;
        if (!RetrieveMessage(n))
            return finish();
        KillMessage(n);
    }

    ReadingScope reading(POPSocket);
    QByteArray reply;
    if (!POPSocket.writeOut("QUIT\r\n") || !collectReply(reply) || !reply.contains("+OK"))
        return finish();
    POPSocket.closeConnection();
}

void Pop3Client::POP_Process()
{
    QByteArray reply = POPSocket.PortIn.left(4);
    // The greeting must be "+OK " with its blank. Later replies may be a
    // bare "+OK" (RFC 1939; Dovecot answers USER so).
    if (POP_State != POP_UserValidation && reply == "+OK\r")
        reply = "+OK ";
    switch (POP_State) {
    case POP_OpenConnection:
        POPSocket.PortIn.clear();
        if (!POPSocket.ResolveHost(ctx_.gPOPServer, MailService::POP))
            POPSocket.error = MailError::Disconnected;
        else
            POPSocket.OpenMailConnection(mailPort(MailService::POP));
        return;
    case POP_UserValidation:
    case POP_PassValidation:
    case POP_Statistics:
        if (reply == "+OK ") {
            if (POP_State == POP_UserValidation)
                command_ = "USER " + argument(ctx_.gLogin) + kCrLf;
            else if (POP_State == POP_PassValidation)
                command_ = "PASS " + argument(ctx_.info.Password) + kCrLf;
            else
                command_ = "STAT\r\n";
        } else if (reply == "-ERR") {
            command_ = "QUIT\r\n";
            POP_State = POP_Quit;
            POPSocket.error = MailError::Disconnected;
            // The refusal stays in PortIn for the error text, whatever the QUIT brings.
            POPSocket.reading = true;
        }
        // Any other reply: the previous command once more.
        POPSocket.writeOut(command_);
        return;
    case POP_ReadStats:
        if (reply == "+OK ") {
            const QByteArray counts = CleanReplyLine(POPSocket.PortIn).trimmed().mid(4);
            const qsizetype space = counts.indexOf(' ');
            NumberOfMessages = (space < 0 ? counts : counts.left(space)).trimmed().toInt();
            LengthOfMessages = space < 0 ? 0 : counts.mid(space + 1).trimmed().toInt();
        } else if (reply == "-ERR") {
            POPSocket.error = MailError::Disconnected;
            POPSocket.reading = true;
            POPSocket.writeOut("QUIT\r\n");
        }
        POP_State = POP_Transaction;
        POPSocket.gSocketState = SocketState::DataReceived;
        return;
    case POP_Transaction:
    case POP_Quit:
        return;
    }
}

bool Pop3Client::RetrieveMessage(qint32 n)
{
    gBytesRetrieved = 0;
    // Reading from before the command on, so no part of the reply can end
    // up anywhere but in the file.
    ReadingScope reading(POPSocket);
    if (!POPSocket.writeOut("RETR " + QByteArray::number(n) + kCrLf))
        return false;
    RetrievedMessageFile file(ctx_.folders.in + QString::number(n) + QStringLiteral(".TXT"));
    for (;;) {
        if (!POPSocket.waitReadable())
            return false;  // stalled or dropped: the file stays as far as it got
        const QByteArray data = POPSocket.readAvailable();
        gBytesRetrieved += data.size();
        switch (file.feed(data)) {
        case RetrievedMessageFile::Progress::More:
            break;
        case RetrievedMessageFile::Progress::Refused:
            return false;
        case RetrievedMessageFile::Progress::Complete:
            return file.commit();
        }
    }
}

bool Pop3Client::KillMessage(qint32 n)
{
    ReadingScope reading(POPSocket);
    QByteArray reply;
    return POPSocket.writeOut("DELE " + QByteArray::number(n) + kCrLf) && collectReply(reply)
        && reply.contains("+OK");
}

bool Pop3Client::collectReply(QByteArray& collected)
{
    constexpr qsizetype kLongestReply = 64 * 1024;
    while (!collected.contains(kCrLf)) {
        if (collected.size() > kLongestReply || !POPSocket.waitReadable())
            return false;
        collected += POPSocket.readAvailable();
    }
    return true;
}

void Pop3Client::reportError()
{
    if (POPSocket.error != MailError::Disconnected)
        return;
    const QByteArray& reply = POPSocket.PortIn;
    if (reply.size() < 5) {
        ctx_.gLastError.clear();
    } else if (reply.startsWith("+OK")) {
        // The last reply was an acceptance: the server went away after it.
        ctx_.gLastError = QStringLiteral("Retrieval Error : Disconnected by the server");
    } else {
        ctx_.gLastError = QStringLiteral("Retrieval Error : ") + QString::fromUtf8(reply.mid(4));
    }
}

void Pop3Client::ProcessPOPFiles(InboxWriter& inbox)
{
    QDir in(ctx_.folders.in);
    // Names are matched without regard to case: the files are "n.TXT".
    in.setNameFilters({QStringLiteral("*.txt")});
    in.setFilter(QDir::Files);
    QStringList names = in.entryList();
    // In the order of the messages on the server: 2.TXT before 10.TXT.
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int left = a.section(QLatin1Char('.'), 0, 0).toInt();
        const int right = b.section(QLatin1Char('.'), 0, 0).toInt();
        return left != right ? left < right : a < b;
    });

    MimeDecoder decoder(ctx_.folders.temp, ctx_.info.Torvex_Addr);
    for (const QString& name : names) {
        const QString path = in.filePath(name);
        // A download that did not finish: the server still has the message.
        if (QFile::exists(partialMarkerFor(path)))
            continue;
        // A message the inbox could not store stays for the next run.
        if (DecodeIntoInbox(decoder, path, inbox))
            QFile::remove(path);
    }
}

}  // namespace torvex
