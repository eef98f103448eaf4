#include "maildir_folder_name.h"

#include <QByteArray>

namespace torvex {
namespace {

bool needsEscape(QChar c)
{
    return c == QLatin1Char('.') || c == QLatin1Char('/') || c == QLatin1Char('\\');
}

bool isPlainAscii(QChar c)
{
    return c.unicode() >= 0x20 && c.unicode() <= 0x7e;
}

QString modifiedBase64(const QString& run)
{
    QByteArray utf16;
    for (QChar c : run) {
        utf16.append(char(c.unicode() >> 8));
        utf16.append(char(c.unicode() & 0xff));
    }
    QByteArray b64 = utf16.toBase64(QByteArray::OmitTrailingEquals);
    b64.replace('/', ',');
    return QLatin1Char('&') + QString::fromLatin1(b64) + QLatin1Char('-');
}

}  // namespace

QString encodeMaildirFolderName(const QString& name)
{
    QString out;
    QString wide;
    const auto flushWide = [&] {
        if (!wide.isEmpty()) {
            out += modifiedBase64(wide);
            wide.clear();
        }
    };
    for (QChar c : name) {
        if (!isPlainAscii(c)) {
            wide += c;
            continue;
        }
        flushWide();
        if (c == QLatin1Char('&'))
            out += QStringLiteral("&-");
        else if (needsEscape(c))
            out += QStringLiteral("\\%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    flushWide();
    return out;
}

QString decodeMaildirFolderName(const QString& component)
{
    QString out;
    for (qsizetype i = 0; i < component.size(); ++i) {
        const QChar c = component.at(i);
        if (c == QLatin1Char('\\') && i + 2 < component.size()) {
            bool ok = false;
            const int code = component.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out += QChar(code);
                i += 2;
                continue;
            }
        }
        if (c == QLatin1Char('&')) {
            const qsizetype end = component.indexOf(QLatin1Char('-'), i + 1);
            if (end < 0)
                return component;
            if (end == i + 1) {
                out += QLatin1Char('&');
            } else {
                QByteArray b64 = component.mid(i + 1, end - i - 1).toLatin1();
                b64.replace(',', '/');
                const auto decoded = QByteArray::fromBase64Encoding(b64, QByteArray::AbortOnBase64DecodingErrors);
                const QByteArray& bytes = decoded.decoded;
                if (!decoded || bytes.size() % 2 != 0)
                    return component;
                for (qsizetype k = 0; k + 1 < bytes.size(); k += 2)
                    out += QChar(char16_t((uchar(bytes.at(k)) << 8) | uchar(bytes.at(k + 1))));
            }
            i = end;
            continue;
        }
        out += c;
    }
    return out;
}

}  // namespace torvex
