#include "smtp_client_text.h"

namespace torvex {

QString oneLine(const QString& value)
{
    QString result;
    result.reserve(value.size());
    bool atBreak = false;
    for (const QChar c : value) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            atBreak = true;
            continue;
        }
        // Received text may carry terminal controls (ESC, BEL, ...); only
        // the tab, which headers allow as a blank, is kept.
        if ((c.unicode() < 0x20 && c != QLatin1Char('\t')) || c.unicode() == 0x7f)
            continue;
        if (atBreak && c != QLatin1Char(' ') && c != QLatin1Char('\t'))
            result += QLatin1Char(' ');
        atBreak = false;
        result += c;
    }
    return result;
}

QString withEndOfData(const QString& message)
{
    const QString end = QString::fromLatin1(kEndOfData);
    return message.endsWith(end) ? message : message + end;
}

QByteArray mailBytes(const QString& text)
{
    return text.toUtf8();
}

QByteArray smtpData(const QString& message)
{
    const QByteArray text = mailBytes(withEndOfData(message));
    // Everything before the final "." line; that line is the terminator.
    const QByteArray body = text.left(text.size() - 3);

    QByteArray data;
    data.reserve(body.size() + body.size() / 64 + 8);
    bool lineStart = true;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const char c = body.at(i);
        if (c == '\r' || c == '\n') {
            // A lone CR or LF is a line break to some servers; send every
            // break as CR LF so each side sees the same lines.
            if (c == '\r' && i + 1 < body.size() && body.at(i + 1) == '\n')
                ++i;
            data += "\r\n";
            lineStart = true;
            continue;
        }
        if (lineStart && c == '.')
            data += '.';
        lineStart = false;
        data += c;
    }
    data += ".\r\n";
    return data;
}

QList<QByteArray> chunksOf(const QByteArray& data, int size)
{
    QList<QByteArray> chunks;
    for (qsizetype at = 0; at < data.size(); at += size)
        chunks.append(data.mid(at, size));
    return chunks;
}

}  // namespace torvex
