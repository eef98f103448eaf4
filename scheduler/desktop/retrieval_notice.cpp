#include "retrieval_notice.h"

#include "common/telvane_info.h"

#include <QDir>
#include <QStringList>

namespace torvex {
namespace {

QString counted(int count, const char* one, const char* many)
{
    return QString::number(count) + QLatin1Char(' ') + QString::fromLatin1(count == 1 ? one : many);
}

}  // namespace

RetrievalSummary readRetrievalSummary(const QString& programFolder, bool finished)
{
    RetrievalSummary summary;
    summary.finished = finished;
    const QStringList session = readTorvexKey(QStringLiteral("session")).split(QLatin1Char(','));
    if (summary.finished && session.size() >= 3) {
        summary.torvexesPrinted = session[0].toInt();
        summary.torvexesUnprintable = session[1].toInt();
        summary.regularFaxesPrinted = session[2].toInt();
    }
    summary.lastError = readTorvexKey(QStringLiteral("last_error")).trimmed();
    summary.receiptsWaiting = int(QDir(programFolder + QStringLiteral("/Out")).entryList({QStringLiteral("*.MDN")}, QDir::Files).size());
    return summary;
}

std::optional<Notice> noticeFor(const RetrievalSummary& now, const RetrievalSummary& before)
{
    // Most pressing first: the first line is the notification's summary.
    QStringList lines;
    const bool newError = !now.lastError.isEmpty() && now.lastError != before.lastError;
    if (newError)
        lines << now.lastError;
    if (now.torvexesUnprintable > 0)
        lines << counted(now.torvexesUnprintable, "TORVEX could not be printed", "TORVEXes could not be printed")
                + QStringLiteral(": filed as Unprintable");
    if (now.torvexesPrinted > 0)
        lines << counted(now.torvexesPrinted, "TORVEX printed", "TORVEXes printed");
    if (now.regularFaxesPrinted > 0)
        lines << counted(now.regularFaxesPrinted, "regular fax printed", "regular faxes printed");
    if (now.receiptsWaiting > before.receiptsWaiting)
        lines << counted(now.receiptsWaiting, "receipt waits", "receipts wait")
                + QStringLiteral(" in Out/: no mail server took them");
    if (lines.isEmpty())
        return std::nullopt;
    Notice notice;
    notice.summary = lines.takeFirst();
    notice.body = lines.join(QLatin1Char('\n'));
    notice.urgent = newError || now.torvexesUnprintable > 0;
    return notice;
}

}  // namespace torvex
