#include "pop3_failure.h"

namespace torvex {
namespace {

// The first line of a reply, as much of it as a status line may show.
QString firstLine(const QByteArray& reply)
{
    QByteArray line = reply.left(reply.indexOf('\n') < 0 ? reply.size() : reply.indexOf('\n'));
    line = line.left(200).trimmed();
    QString text = QString::fromLatin1(line);
    for (QChar& c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char(' ');
    }
    return text;
}

}  // namespace

QString retrievalErrorText(const Pop3FailureReport& r)
{
    const QString prefix = QStringLiteral("Retrieval Error : ");
    switch (r.kind) {
    case Pop3Failure::None:
        return {};
    case Pop3Failure::NoAddress:
        return prefix + QStringLiteral("Unable to obtain an Internet Address for the server - ") + r.host;
    case Pop3Failure::NoConnection:
        return prefix + QStringLiteral("Unable to connect to the server - ") + r.host;
    case Pop3Failure::TimedOut:
        return prefix + QStringLiteral("The connection timed out");
    case Pop3Failure::SessionTooLong:
        return prefix + QStringLiteral("The session with %1 ran past its time limit of %2 minutes")
                            .arg(r.host).arg(r.limit);
    case Pop3Failure::Refused:
        // The server's words after "-ERR", with the line's CR LF.
        return prefix + QString::fromUtf8(r.reply.mid(4));
    case Pop3Failure::Disconnected:
        return prefix + QStringLiteral("Disconnected by the server");
    case Pop3Failure::Garbled:
        return prefix + QStringLiteral("The POP server replied - ") + firstLine(r.reply);
    case Pop3Failure::Overlong:
        return prefix + QStringLiteral("The POP server sent a line without end");
    case Pop3Failure::TooManyMessages:
        return prefix + QStringLiteral("The POP server announced %1 messages, more than %2")
                            .arg(r.number).arg(r.limit);
    case Pop3Failure::MessageTooLarge:
        return prefix + QStringLiteral("TORVEX %1 is larger than %2 MB and stays on the server")
                            .arg(r.number).arg(r.limit);
    case Pop3Failure::MessageOverran:
        return prefix + QStringLiteral("TORVEX %1 grew past the size the server announced").arg(r.number);
    case Pop3Failure::NotStored:
        return prefix + QStringLiteral("TORVEX %1 could not be stored").arg(r.number);
    case Pop3Failure::QuitTimedOut:
        return prefix + QStringLiteral("Timeout on POP Quit");
    case Pop3Failure::QuitRefused:
        return prefix + QStringLiteral("Message deletion from server may be incomplete.");
    case Pop3Failure::StlsRefused:
        return prefix + QStringLiteral("No secure connection - the server refused STLS: ") + firstLine(r.reply);
    case Pop3Failure::SocketError:
    case Pop3Failure::TlsFailed:
        return prefix + r.description;
    }
    return {};
}

}  // namespace torvex
