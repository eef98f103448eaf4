#include "pdf_reader.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

namespace torvex::test {
namespace {

std::optional<QString> output(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

std::optional<QString> pdfText(const QString& pdf)
{
    return output(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
}

int pdfPageCount(const QString& pdf)
{
    static const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = pages.match(output(QStringLiteral("pdfinfo"), {pdf}).value_or(QString()));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

int pdfImageCount(const QString& pdf)
{
    // Two heading lines, then one line per image.
    const QStringList lines = output(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf})
                                  .value_or(QString())
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return int(qMax<qsizetype>(0, lines.size() - 2));
}

double pdfTextRightMargin(const QString& pdf)
{
    static const QRegularExpression tag(QStringLiteral("<(page|word) ([^>]*)>"));
    static const QRegularExpression width(QStringLiteral("width=\"([\\d.]+)\""));
    static const QRegularExpression xMax(QStringLiteral("xMax=\"([\\d.-]+)\""));
    const QString boxes = output(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")})
                              .value_or(QString());
    double pageWidth = 0;
    double margin = 1e9;
    for (auto it = tag.globalMatch(boxes); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(1) == QLatin1String("page"))
            pageWidth = width.match(m.captured(2)).captured(1).toDouble();
        else
            margin = qMin(margin, pageWidth - xMax.match(m.captured(2)).captured(1).toDouble());
    }
    return margin;
}

QString printedText(const QString& folder)
{
    const QDir dir(folder);
    QString text;
    for (const QString& name : dir.entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name))
        text += pdfText(dir.filePath(name)).value_or(QString());
    return text;
}

}  // namespace torvex::test
