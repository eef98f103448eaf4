#include "text_layout.h"

#include "platform/mail_text.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

namespace torvex {
namespace {

const QString kCrLf = QStringLiteral("\r\n");
constexpr QChar kFormFeed = QChar(12);

bool isLineControl(QChar c)
{
    return c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QChar(11) || c == QLatin1Char('\n')
        || c == kFormFeed;
}

// Takes the next line (up to and including its LF) off the text; a last
// line without LF gets one.
QString takeLine(QString& text)
{
    const qsizetype lf = text.indexOf(QLatin1Char('\n'));
    QString line;
    if (lf < 0) {
        line = text + QLatin1Char('\n');
        text.clear();
    } else {
        line = text.left(lf + 1);
        text.remove(0, lf + 1);
    }
    return line;
}

// The page's buffer as printed lines: split at the line end each entry
// ends in (CR LF, or a lone LF a mixed text left).
QStringList bufferLines(const QString& buffer)
{
    static const QRegularExpression lineEnd(QStringLiteral("\r?\n"));
    QStringList lines = buffer.split(lineEnd);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

}  // namespace

bool AllSpaces(const QString& text)
{
    for (QChar c : text) {
        if (c != QLatin1Char(' '))
            return false;
    }
    return true;
}

bool TestAllBlanks(const QString& text)
{
    if (text.isEmpty() || AllSpaces(text))
        return false;
    for (QChar c : text) {
        if (!isLineControl(c))
            return true;
    }
    return false;
}

QString LoadArray1(const QString& line, int width, QString& rest)
{
    const qsizetype limit = qMin<qsizetype>(width, line.size());
    qsizetype p = limit;
    while (p > 0 && line.at(p - 1) != QLatin1Char(' '))
        --p;
    if (p == 0)
        p = limit;  // no blank to break at: cut hard
    rest = line.mid(p);
    return line.left(p) + kCrLf;
}

bool LoadFile2(const QString& path, QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    text = mailText(file.readAll());
    return true;
}

QString pageHeaderLine(const PageHeaderFields& fields, int pageNumber)
{
    return QStringLiteral("S ") + fields.sent + QStringLiteral("  R  ") + fields.received
        + QStringLiteral("    ") + fields.sender + QStringLiteral("   Page No. ")
        + QString::number(pageNumber);
}

TextBlockLayout layoutTextBlock(QString text, bool flgPageHdr, const PageHeaderFields& header,
                                int charsPerLine, int linesPerPage)
{
    const int width = qMax(1, charsPerLine);
    const int pageLength = qMax(1, linesPerPage);
    TextBlockLayout layout;
    int pageNumber = 1;
    for (;;) {
        QString buffer;
        if (flgPageHdr)
            buffer += pageHeaderLine(header, pageNumber) + kCrLf + kCrLf;
        int counted = 0;
        bool pageFull = false;
        while (!text.isEmpty() && !pageFull) {
            QCoreApplication::processEvents();
            // Lines that end in a bare LF (text files from Unix) are wrapped
            // and paged like CR LF lines, so none runs off the sheet.
            QString line = takeLine(text);
            for (;;) {
                if (line.size() - 1 <= width) {
                    buffer += QLatin1Char('\t') + line;
                    ++counted;
                    break;
                }
                QString rest;
                buffer += QLatin1Char('\t') + LoadArray1(line, width, rest);
                ++counted;
                line = rest;
                if (counted >= pageLength) {
                    text.prepend(line);
                    pageFull = true;
                    break;
                }
            }
            if (text.startsWith(kFormFeed)) {
                text.remove(0, 1);
                pageFull = true;
            } else if (counted >= pageLength) {
                pageFull = true;
            }
        }
        layout.pages.push_back(bufferLines(buffer));
        ++pageNumber;
        if (!TestAllBlanks(text))
            break;
    }
    return layout;
}

}  // namespace torvex
