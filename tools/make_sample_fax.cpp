// make_sample_fax: writes a sample fax for tests and the demo.
//   make_sample_fax [--pages N] [--normal] [--title TEXT]
//                   [--format g3|g3-2d|g4|none|dcx] <output file>
#include "sample_fax.h"

#include <QCommandLineParser>
#include <QGuiApplication>

#include <cstdio>

using namespace torvex::tools;

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes a sample fax (TIFF or DCX)."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("pages"), QStringLiteral("Number of pages."), QStringLiteral("n"), QStringLiteral("3")});
    parser.addOption({QStringLiteral("normal"), QStringLiteral("Normal resolution (204 x 98 dpi).")});
    parser.addOption({QStringLiteral("title"), QStringLiteral("Text at the top of each page."), QStringLiteral("text"),
                      QStringLiteral("TORVEX sample fax")});
    parser.addOption({QStringLiteral("format"), QStringLiteral("g3, g3-2d, g4, none or dcx."), QStringLiteral("format"),
                      QStringLiteral("g3")});
    parser.addPositionalArgument(QStringLiteral("output"), QStringLiteral("File to write."));
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);

    SampleFaxOptions options;
    options.pages = qMax(1, parser.value(QStringLiteral("pages")).toInt());
    options.fine = !parser.isSet(QStringLiteral("normal"));
    options.title = parser.value(QStringLiteral("title"));
    const QString output = parser.positionalArguments().first();
    const QString format = parser.value(QStringLiteral("format"));
    bool ok = false;
    if (format == QStringLiteral("dcx"))
        ok = writeSampleFaxDcx(output, options);
    else if (format == QStringLiteral("g3"))
        ok = writeSampleFaxTiff(output, options, FaxCompression::Group3);
    else if (format == QStringLiteral("g3-2d"))
        ok = writeSampleFaxTiff(output, options, FaxCompression::Group3TwoD);
    else if (format == QStringLiteral("g4"))
        ok = writeSampleFaxTiff(output, options, FaxCompression::Group4);
    else if (format == QStringLiteral("none"))
        ok = writeSampleFaxTiff(output, options, FaxCompression::None);
    else
        parser.showHelp(2);
    if (!ok)
        std::fprintf(stderr, "make_sample_fax: cannot write %s\n", qPrintable(output));
    return ok ? 0 : 1;
}
