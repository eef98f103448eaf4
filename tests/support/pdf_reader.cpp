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

std::optional<QString> pdfText(const QString& pdf, PdfLayout layout)
{
    QStringList args;
    if (layout == PdfLayout::Physical)
        args << QStringLiteral("-layout");
    args << pdf << QStringLiteral("-");
    return output(QStringLiteral("pdftotext"), args);
}

int pdfPageCount(const QString& pdf)
{
    static const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = pages.match(output(QStringLiteral("pdfinfo"), {pdf}).value_or(QString()));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
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
