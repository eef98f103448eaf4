#include "pop3_client.h"

#include "printutil/decode/mime_decoder.h"
#include "printutil/run/status_handshake.h"
#include "printutil/transport/pop3_client_store.h"
#include "printutil/transport/pop3_uidl_record.h"

#include "common/telvane_info.h"
#include "platform/desktop/time_scale.h"
#include "platform/files/durable_file.h"
#include "platform/mail/mail_text.h"
#include "platform/maildir/maildir_store.h"

#include <QDir>
#include <QSet>

#include <algorithm>
#include <limits>

namespace torvex {
namespace {

constexpr qint64 kMinuteMs = 60000;
// The slowest download a session allows for: about a 16 kbit/s line.
constexpr qint64 kSlowestBytesPerSecond = 2048;
// Waits a session may spend before it knows what it will download:
// greeting, USER, PASS, STAT, UIDL, LIST.
constexpr qint64 kLogOnWaits = 6;
constexpr qsizetype kLongestListingLine = 1024;
constexpr qint64 kMegabyte = 1024 * 1024;
constexpr qint64 kDefaultMaxMessageMb = 200;
const QString kDeliveryClaim = QStringLiteral(".inbox");

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

// A decimal count; false for anything but digits (or more than fit).
bool parseCount(QByteArrayView text, qint64& value)
{
    if (text.isEmpty() || text.size() > 15)
        return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

// A unique id as RFC 1939 allows it: 1 to 70 characters 0x21 to 0x7E.
bool isUid(QByteArrayView uid)
{
    if (uid.isEmpty() || uid.size() > 70)
        return false;
    return std::all_of(uid.begin(), uid.end(), [](char c) { return c >= 0x21 && c <= 0x7e; });
}

bool startsAsReply(const QByteArray& reply)
{
    return reply.startsWith("+OK") || reply.startsWith("-ERR");
}

QByteArray readSmallFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(256) : QByteArray();
}

// In the order of the messages on the server: 2.TXT before 10.TXT, and a
// file left from an earlier session (2.TXT) before a later one (2.2.TXT).
bool inFileOrder(const QString& a, const QString& b)
{
    const auto key = [](const QString& name) {
        return std::pair(name.section(QLatin1Char('.'), 0, 0).toInt(),
                         name.section(QLatin1Char('.'), 1, 1).toInt());
    };
    return key(a) != key(b) ? key(a) < key(b) : a < b;
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

Pop3Client::~Pop3Client() = default;

QString Pop3Client::mailboxName() const
{
    return ctx_.info.Torvex_Addr;
}

qint64 Pop3Client::maxMessageBytes() const
{
    bool ok = false;
    const qint64 mb = readTorvexKey(QStringLiteral("max_message_mb"), QString::number(kDefaultMaxMessageMb))
                          .trimmed()
                          .toLongLong(&ok);
    return (ok && mb > 0 ? qMin<qint64>(mb, 1 << 20) : kDefaultMaxMessageMb) * kMegabyte;
}

void Pop3Client::fail(Pop3Failure kind, qint64 number, qint64 limit)
{
    report_.kind = kind;
    report_.number = number;
    report_.limit = limit;
}

void Pop3Client::CHECKMAIL_Click()
{
    POPSocket.InitMailSocket(MailService::POP);
    POPSocket.timeoutTicks = ctx_.info.gTimoutMinutes;
    command_.clear();
    NumberOfMessages = 0;
    LengthOfMessages = 0;
    uids_.clear();
    sizes_.clear();
    report_ = {};
    report_.host = ctx_.gPOPServer;
    Pop3FailureReport skipped;  // a message left on the server, the fetch going on

    session_.start();
    boundSession(-1);

    UidlRecord record(uidlRecordPathFor(ctx_.folders.in), mailboxName());
    record.load();
    recoverInFolder(record);

    const auto finish = [this, &skipped] {
        if (report_.kind == Pop3Failure::None && POPSocket.error == MailError::None && skipped.kind != Pop3Failure::None)
            report_ = skipped;
        reportError();
        POPSocket.closeConnection();  // without QUIT the server keeps every message
    };

    POP_State = POP_OpenConnection;
    POP_Process();
    if (POPSocket.error != MailError::None || !secureConnection(pop3Access(ctx_.info)))
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

    const qint64 cap = maxMessageBytes();
    if (NumberOfMessages > 0) {
        readListings();
        if (POPSocket.error != MailError::None)
            return finish();
        if (!uids_.empty()) {
            QSet<QByteArray> listed;
            for (const auto& [n, uid] : uids_)
                listed.insert(uid);
            (void)record.retainOnly(listed);
        }
        qint64 bytes = 0;
        for (qint32 n = 1; n <= NumberOfMessages; ++n) {
            const auto uid = uids_.find(n);
            if (uid != uids_.end() && record.contains(uid->second))
                continue;
            const auto size = sizes_.find(n);
            bytes += size != sizes_.end() ? qMin(size->second, cap) : qMin<qint64>(LengthOfMessages, cap);
        }
        boundSession(bytes);
    }

    QSet<QByteArray> deleted;
    for (qint32 n = 1; n <= NumberOfMessages; ++n) {
        POP_State = POP_Transaction;
        const auto found = uids_.find(n);
        const QByteArray uid = found != uids_.end() ? found->second : QByteArray();
        if (!uid.isEmpty() && record.contains(uid)) {
            // Stored whole by an earlier session that did not reach QUIT.
            if (KillMessage(n))
                deleted.insert(uid);
            if (POPSocket.error != MailError::None)
                return finish();
            continue;
        }
        const auto size = sizes_.find(n);
        if (size != sizes_.end() && size->second > cap) {
            skipped.kind = Pop3Failure::MessageTooLarge;
            skipped.number = n;
            skipped.limit = cap / kMegabyte;
            continue;
        }
        if (!RetrieveMessage(n, uid, record))
            return finish();
        if (KillMessage(n) && !uid.isEmpty())
            deleted.insert(uid);
    }

    ReadingScope reading(POPSocket);
    QByteArray reply;
    if (!POPSocket.writeOut("QUIT\r\n"))
        return finish();
    if (!collectReply(reply)) {
        if (report_.kind == Pop3Failure::None && POPSocket.error == MailError::None)
            fail(Pop3Failure::QuitTimedOut);
        return finish();
    }
    if (!reply.contains("+OK")) {
        fail(Pop3Failure::QuitRefused);
        return finish();
    }
    (void)record.forget(deleted);
    finish();
}

void Pop3Client::boundSession(qint64 bytes)
{
    const qint64 wait = qint64(qMax(1, POPSocket.timeoutTicks)) * POPSocket.tickIntervalMs;
    sessionBoundMs_ = kLogOnWaits * wait;
    if (bytes >= 0)
        sessionBoundMs_ += NumberOfMessages * kMinuteMs + bytes * 1000 / kSlowestBytesPerSecond;
    const qint64 elapsed = qint64(double(session_.elapsed()) * timeScale());
    POPSocket.setSessionDeadline(qMax<qint64>(0, sessionBoundMs_ - elapsed));
    ctx_.expectDoneWithin(qMax<qint64>(0, sessionBoundMs_ - elapsed) + kMinuteMs);
}

void Pop3Client::POP_Process()
{
    QByteArray reply = POPSocket.PortIn.left(4);
    // The greeting must be "+OK " with its blank. Later replies may be a
    // bare "+OK" (RFC 1939; Dovecot answers USER so).
    if (POP_State != POP_UserValidation && reply == "+OK\r")
        reply = "+OK ";
    const auto garbled = [this] {
        fail(Pop3Failure::Garbled);
        POPSocket.error = MailError::Disconnected;
    };
    switch (POP_State) {
    case POP_OpenConnection: {
        POPSocket.PortIn.clear();
        if (!POPSocket.ResolveHost(ctx_.gPOPServer, MailService::POP)) {
            POPSocket.error = MailError::Disconnected;
            fail(Pop3Failure::NoAddress);
            return;
        }
        const MailServerAccess access = pop3Access(ctx_.info);
        POPSocket.setTrust(TlsTrust(access.trustedCertificateFile));
        POPSocket.OpenMailConnection(mailPort(MailService::POP, access),
                                     access.security == MailSecurity::ImplicitTls);
        if (POPSocket.error == MailError::None)
            return;
        if (POPSocket.error == MailError::TlsFailed)
            return;  // the error text names the handshake's fault
        if (POPSocket.overlongReply)
            fail(Pop3Failure::Overlong);
        else if (POPSocket.sessionExpired())
            fail(Pop3Failure::SessionTooLong);
        else if (POPSocket.isConnected())
            fail(Pop3Failure::TimedOut);  // connected, but no greeting came
        else
            fail(Pop3Failure::NoConnection);
        return;
    }
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
        } else if (!startsAsReply(POPSocket.PortIn)) {
            return garbled();  // not a POP3 server's reply
        }
        // Any other reply: the previous command once more.
        POPSocket.writeOut(command_);
        return;
    case POP_ReadStats:
        if (reply == "+OK ") {
            const QByteArray counts = CleanReplyLine(POPSocket.PortIn).trimmed().mid(4).trimmed();
            const qsizetype space = counts.indexOf(' ');
            qint64 count = 0;
            qint64 length = 0;
            if (!parseCount(space < 0 ? counts : counts.left(space), count)
                || (space >= 0 && !parseCount(counts.mid(space + 1).trimmed().split(' ').first(), length)))
                return garbled();
            if (count > kMaxMessages) {
                fail(Pop3Failure::TooManyMessages, count, kMaxMessages);
                POPSocket.error = MailError::Disconnected;
                return;
            }
            NumberOfMessages = qint32(count);
            LengthOfMessages = qint32(qMin<qint64>(length, std::numeric_limits<qint32>::max()));
        } else if (reply == "-ERR") {
            POPSocket.error = MailError::Disconnected;
            POPSocket.reading = true;
            POPSocket.writeOut("QUIT\r\n");
        } else {
            return garbled();
        }
        POP_State = POP_Transaction;
        POPSocket.gSocketState = SocketState::DataReceived;
        return;
    case POP_Transaction:
    case POP_Quit:
        return;
    }
}

bool Pop3Client::secureConnection(const MailServerAccess& access)
{
    // A greeting that is no "+OK" is the log-on step's to report.
    if (!POPSocket.PortIn.startsWith("+OK"))
        return true;
    const bool wanted = access.security == MailSecurity::StartTlsRequired
        || (access.security == MailSecurity::StartTlsWhenOffered && offersStls());
    if (POPSocket.error != MailError::None)
        return false;  // CAPA went wrong
    if (!wanted)
        return true;
    const QByteArray greeting = POPSocket.PortIn;
    QByteArray reply;
    {
        ReadingScope reading(POPSocket);
        if (!POPSocket.writeOut("STLS\r\n") || !collectReply(reply))
            return false;
    }
    if (!reply.startsWith("+OK")) {
        POPSocket.error = MailError::TlsUnavailable;
        fail(Pop3Failure::StlsRefused);
        report_.reply = reply;
        return false;
    }
    if (!POPSocket.startTls())
        return false;
    // The dialogue goes on as over a plain connection, from the greeting.
    POPSocket.PortIn = greeting;
    return true;
}

bool Pop3Client::offersStls()
{
    ReadingScope reading(POPSocket);
    if (!POPSocket.writeOut("CAPA\r\n"))
        return false;
    QByteArray listing;
    while (!listing.startsWith("-ERR") && !listing.contains("\r\n.\r\n")) {
        if (listing.size() > MailSocket::kMaxReply) {
            fail(Pop3Failure::Overlong);
            POPSocket.error = MailError::Disconnected;
            return false;
        }
        if (!POPSocket.waitReadable()) {
            if (POPSocket.error == MailError::None)
                POPSocket.error = MailError::TimedOut;
            return false;
        }
        listing += POPSocket.readAvailable();
    }
    if (!listing.startsWith("+OK"))
        return false;
    const QList<QByteArray> lines = listing.split('\n');
    return std::any_of(lines.begin(), lines.end(),
                       [](const QByteArray& line) { return line.trimmed().toUpper() == "STLS"; });
}

void Pop3Client::readListings()
{
    std::map<qint32, QByteArray> uids;
    QSet<QByteArray> seen;
    QSet<QByteArray> repeated;
    const Listing ids = readListing("UIDL\r\n", [&](QByteArrayView line) {
        const qsizetype space = line.indexOf(' ');
        qint64 n = 0;
        if (space < 0 || !parseCount(line.first(space), n) || n < 1 || n > NumberOfMessages)
            return;
        const QByteArray uid = line.sliced(space + 1).trimmed().toByteArray();
        if (!isUid(uid))
            return;
        if (seen.contains(uid))
            repeated.insert(uid);
        seen.insert(uid);
        uids[qint32(n)] = uid;
    });
    if (ids == Listing::Failed)
        return;
    // An id given to two messages identifies neither.
    for (const auto& [n, uid] : uids) {
        if (!repeated.contains(uid))
            uids_[n] = uid;
    }
    (void)readListing("LIST\r\n", [&](QByteArrayView line) {
        const QList<QByteArray> fields = line.trimmed().toByteArray().split(' ');
        qint64 n = 0;
        qint64 size = 0;
        if (fields.size() >= 2 && parseCount(fields[0], n) && parseCount(fields[1], size) && n >= 1
            && n <= NumberOfMessages)
            sizes_[qint32(n)] = size;
    });
}

Pop3Client::Listing Pop3Client::readListing(const QByteArray& command,
                                            const std::function<void(QByteArrayView)>& take)
{
    ReadingScope reading(POPSocket);
    if (!POPSocket.writeOut(command))
        return Listing::Failed;
    QByteArray buffer;
    qsizetype from = 0;
    bool statusSeen = false;
    qint64 lines = 0;
    for (;;) {
        for (qsizetype end = buffer.indexOf(kCrLf, from); end >= 0; end = buffer.indexOf(kCrLf, from)) {
            const QByteArrayView line = QByteArrayView(buffer).sliced(from, end - from);
            from = end + 2;
            if (!statusSeen) {
                if (line.startsWith("-ERR"))
                    return Listing::NotOffered;  // the server has no such listing
                if (!line.startsWith("+OK")) {
                    report_.reply = line.toByteArray();
                    fail(Pop3Failure::Garbled);
                    POPSocket.error = MailError::Disconnected;
                    return Listing::Failed;
                }
                statusSeen = true;
                continue;
            }
            if (line == ".")
                return Listing::Listed;
            // Never more lines than messages: a listing without end is no listing.
            if (++lines > NumberOfMessages) {
                fail(Pop3Failure::Overlong);
                POPSocket.error = MailError::Disconnected;
                return Listing::Failed;
            }
            take(line.startsWith('.') ? line.sliced(1) : line);
        }
        buffer.remove(0, from);
        from = 0;
        if (buffer.size() > kLongestListingLine) {
            fail(Pop3Failure::Overlong);
            POPSocket.error = MailError::Disconnected;
            return Listing::Failed;
        }
        if (!POPSocket.waitReadable()) {
            if (POPSocket.error == MailError::None)
                POPSocket.error = MailError::TimedOut;
            return Listing::Failed;
        }
        buffer += POPSocket.readAvailable();
    }
}

bool Pop3Client::RetrieveMessage(qint32 n, const QByteArray& uid, UidlRecord& record)
{
    // Reading from before the command on, so no part of the reply can end
    // up anywhere but in the file.
    ReadingScope reading(POPSocket);
    if (!POPSocket.writeOut("RETR " + QByteArray::number(n) + kCrLf))
        return false;
    // A file an earlier session stored but the Inbox did not take keeps its
    // name; this one takes the next.
    QString path = ctx_.folders.in + QString::number(n) + QStringLiteral(".TXT");
    for (int k = 2; QFile::exists(path); ++k)
        path = ctx_.folders.in + QStringLiteral("%1.%2.TXT").arg(n).arg(k);
    RetrievedMessageFile file(path, uid, maxMessageBytes());
    QByteArray status;  // the start of the reply, for the error text
    for (;;) {
        if (!POPSocket.waitReadable()) {
            // Stalled or dropped: the partial file goes, the message stays.
            if (POPSocket.error == MailError::None)
                POPSocket.error = MailError::TimedOut;
            return false;
        }
        const QByteArray data = POPSocket.readAvailable();
        if (status.size() < 512)
            status += data.left(512);
        switch (file.feed(data)) {
        case RetrievedMessageFile::Progress::More:
            break;
        case RetrievedMessageFile::Progress::Refused:
            report_.reply = status;
            if (file.writeFailed())
                fail(Pop3Failure::NotStored, n);
            else
                fail(status.startsWith("-ERR") ? Pop3Failure::Refused : Pop3Failure::Garbled, n);
            POPSocket.error = MailError::Disconnected;
            return false;
        case RetrievedMessageFile::Progress::Oversized:
            if (file.announcedSize() > maxMessageBytes())
                fail(Pop3Failure::MessageTooLarge, n, maxMessageBytes() / kMegabyte);
            else
                fail(Pop3Failure::MessageOverran, n);
            POPSocket.error = MailError::Disconnected;
            return false;
        case RetrievedMessageFile::Progress::Complete:
            if (file.commit(&record))
                return true;
            fail(Pop3Failure::NotStored, n);
            POPSocket.error = MailError::Disconnected;
            return false;
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
    while (!collected.contains(kCrLf)) {
        if (collected.size() > MailSocket::kMaxReply) {
            fail(Pop3Failure::Overlong);
            POPSocket.error = MailError::Disconnected;
            return false;
        }
        if (!POPSocket.waitReadable())
            return false;
        collected += POPSocket.readAvailable();
    }
    return true;
}

void Pop3Client::reportError()
{
    if (report_.kind == Pop3Failure::None) {
        switch (POPSocket.error) {
        case MailError::None:
            return;  // gLastError stays as it was
        case MailError::Disconnected:
            if (POPSocket.overlongReply) {
                fail(Pop3Failure::Overlong);
            } else if (POPSocket.PortIn.startsWith("-ERR")) {
                fail(Pop3Failure::Refused);
                report_.reply = POPSocket.PortIn;
            } else {
                fail(Pop3Failure::Disconnected);
            }
            break;
        case MailError::CannotConnect:
            fail(Pop3Failure::NoConnection);
            break;
        case MailError::TimedOut:
            fail(POPSocket.sessionExpired() ? Pop3Failure::SessionTooLong : Pop3Failure::TimedOut);
            break;
        case MailError::TlsFailed:
            fail(Pop3Failure::TlsFailed);
            report_.description = POPSocket.errorDescription;
            break;
        default:
            fail(Pop3Failure::SocketError);
            report_.description = POPSocket.errorDescription;
            break;
        }
    }
    if (report_.kind == Pop3Failure::SessionTooLong)
        report_.limit = (sessionBoundMs_ + kMinuteMs - 1) / kMinuteMs;
    if (report_.kind == Pop3Failure::Garbled && report_.reply.isEmpty())
        report_.reply = POPSocket.PortIn;
    ctx_.gLastError = retrievalErrorText(report_);
}

void Pop3Client::recoverInFolder(const UidlRecord& record)
{
    QDir in(ctx_.folders.in);
    const QStringList markers = in.entryList({QStringLiteral("*.partial")}, QDir::Files);
    for (const QString& marker : markers) {
        const QString markerPath = in.filePath(marker);
        const QString path = markerPath.chopped(int(QStringLiteral(".partial").size()));
        const QByteArray uid = readSmallFile(markerPath);
        // Recorded: stored whole, only the marker's removal was cut off.
        if (!uid.isEmpty() && record.contains(uid) && QFile::exists(path)) {
            QFile::remove(markerPath);
            continue;
        }
        QFile::remove(path);
        QFile::remove(markerPath);
    }
    // A claim whose file is gone: the message reached the Inbox and the
    // file was deleted, only the claim's removal was cut off.
    const QStringList claims = in.entryList({QLatin1Char('*') + kDeliveryClaim}, QDir::Files);
    for (const QString& claim : claims) {
        if (!QFile::exists(in.filePath(claim.chopped(int(kDeliveryClaim.size())))))
            QFile::remove(in.filePath(claim));
    }
}

void Pop3Client::ProcessPOPFiles(InboxWriter& inbox)
{
    UidlRecord record(uidlRecordPathFor(ctx_.folders.in), mailboxName());
    record.load();
    recoverInFolder(record);

    QDir in(ctx_.folders.in);
    // Names are matched without regard to case: the files are "n.TXT".
    in.setNameFilters({QStringLiteral("*.txt")});
    in.setFilter(QDir::Files);
    QStringList names = in.entryList();
    std::sort(names.begin(), names.end(), inFileOrder);

    MimeDecoder decoder(ctx_.folders.temp, ctx_.info.Torvex_Addr);
    for (const QString& name : names) {
        const QString path = in.filePath(name);
        // The Inbox message is named before it is stored, and the name is
        // kept beside the file until the file is gone: a run ended between
        // the two finds the message stored and only deletes the file.
        const QString claim = path + kDeliveryClaim;
        QString deliveryName = QString::fromUtf8(readSmallFile(claim));
        if (deliveryName.isEmpty()) {
            deliveryName = newMaildirUniqueName();
            if (!writeDurably(claim, deliveryName.toUtf8()))
                continue;
        }
        // A message the inbox could not store stays for the next run.
        if (DecodeIntoInbox(decoder, path, inbox, deliveryName)) {
            QFile::remove(path);
            QFile::remove(claim);
        }
    }
}

}  // namespace torvex
