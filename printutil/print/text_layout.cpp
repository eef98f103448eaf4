#include "text_layout.h"

#include "platform/mail/mail_text.h"

#include <QCoreApplication>
#include <QFile>

namespace torvex {
namespace {

constexpr QChar kFormFeed = QChar(12);

bool isLineControl(QChar c)
{
    return c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QChar(11) || c == QLatin1Char('\n')
        || c == kFormFeed;
}

// Where a long line is wrapped: after the last blank within the first width
// characters; without one, hard at width, so wrapping always makes progress.
qsizetype wrapPoint(QStringView line, int width)
{
    const qsizetype limit = qMin<qsizetype>(width, line.size());
    qsizetype p = limit;
    while (p > 0 && line.at(p - 1) != QLatin1Char(' '))
        --p;
    return p == 0 ? limit : p;
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

TextBlockLayout layoutTextBlock(const QString& text, bool flgPageHdr, const PageHeaderFields& header,
                                int charsPerLine, int linesPerPage)
{
    // One pass over the text by index: nothing is copied or searched twice,
    // so the time grows with the text's length alone.
    const int width = qMax(1, charsPerLine);
    const int pageLength = qMax(1, linesPerPage);
    const qsizetype n = text.size();
    // Where the last blank-free and the last printable character stand, so
    // "does the rest hold a printable character" costs nothing.
    qsizetype lastNonSpace = -1;
    qsizetype lastPrintable = -1;
    for (qsizetype i = n - 1; i >= 0 && (lastNonSpace < 0 || lastPrintable < 0); --i) {
        if (lastNonSpace < 0 && text.at(i) != QLatin1Char(' '))
            lastNonSpace = i;
        if (lastPrintable < 0 && !isLineControl(text.at(i)))
            lastPrintable = i;
    }
    // A last line without LF gets one; a cut inside it keeps that LF in
    // the rest, so the rest is never all blanks.
    bool insideLastLine = false;
    const auto restPrintable = [&](qsizetype p) {
        if (p >= n || (!insideLastLine && lastNonSpace < p))
            return false;
        return lastPrintable >= p;
    };
    TextBlockLayout layout;
    const qsizetype maxLines = qsizetype(kMaxTextPages) * pageLength;
    qsizetype linesLaidOut = 0;
    const auto addLine = [&](QStringList& page, qsizetype from, qsizetype to, bool wholeLine) {
        QString line = QLatin1Char('\t') + text.mid(from, to - from);
        if (wholeLine && line.endsWith(QLatin1Char('\r')))
            line.chop(1);  // the CR of its CR LF
        page << line;
        return ++linesLaidOut <= maxLines;
    };

    qsizetype p = 0;
    int pageNumber = 1;
    for (;;) {
        QStringList page;
        if (flgPageHdr)
            page << pageHeaderLine(header, pageNumber) << QString();
        int counted = 0;
        bool pageFull = false;
        while (p < n && !pageFull) {
            QCoreApplication::processEvents();
            // Lines that end in a bare LF (text files from Unix) are wrapped
            // and paged like CR LF lines, so none runs off the sheet.
            const qsizetype lf = text.indexOf(QLatin1Char('\n'), p);
            const qsizetype contentEnd = lf < 0 ? n : lf;  // the line without its LF
            const qsizetype next = lf < 0 ? n : lf + 1;
            for (;;) {
                const qsizetype length = contentEnd - p + 1;  // with its LF
                if (length - 1 <= width) {
                    if (!addLine(page, p, contentEnd, true)) {
                        layout.tooLong = true;
                        return layout;
                    }
                    ++counted;
                    p = next;
                    insideLastLine = false;
                    break;
                }
                const qsizetype cut = wrapPoint(QStringView(text).mid(p, contentEnd - p), width);
                if (!addLine(page, p, p + cut, false)) {
                    layout.tooLong = true;
                    return layout;
                }
                ++counted;
                p += cut;
                insideLastLine = lf < 0;
                if (counted >= pageLength) {
                    pageFull = true;
                    break;
                }
            }
            if (p < n && text.at(p) == kFormFeed) {
                ++p;
                pageFull = true;
            } else if (counted >= pageLength) {
                pageFull = true;
            }
        }
        layout.pages.push_back(page);
        ++pageNumber;
        if (!restPrintable(p))
            break;
        if (int(layout.pages.size()) >= kMaxTextPages) {
            layout.tooLong = true;
            break;
        }
    }
    return layout;
}

}  // namespace torvex
