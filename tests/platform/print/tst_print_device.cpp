// The built-in PDF printer shows a job under its printout name only once
// the job is whole, so a run ended while printing leaves no torn PDF.
#include "platform/print/print_device.h"
#include "platform/print/printer_list.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QtTest>

using namespace torvex;

class TestPrintDevice : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A part left by an ended run is removed when the printer is made, and
    // its name is never given again; a job shows only once it is whole.
    void jobAppearsOnlyWhenComplete()
    {
        test::TestEnv env;
        const QString folder = env.path(QStringLiteral("Printouts"));
        QVERIFY(QDir().mkpath(folder));
        const QString earlier = reservePrintoutFile(folder);
        QVERIFY(!earlier.isEmpty());
        QVERIFY(QFile::exists(printoutPartFile(earlier)));
        QVERIFY(!QFile::exists(earlier));
        // The same run's next job never gets a name still being written.
        QVERIFY(reservePrintoutFile(folder) != earlier);

        const auto device = makePrintDevice(QString::fromLatin1(kPdfPrinterName), folder);
        const QDir dir(folder);
        QCOMPARE(dir.entryList({QStringLiteral("*.part")}, QDir::Files), QStringList());
        QVERIFY(device->beginJob(QStringLiteral("job")));
        QVERIFY(device->printTextPage({QStringLiteral("first page")}, {}));
        QVERIFY(device->printTextPage({QStringLiteral("second page")}, {}));
        QCOMPARE(dir.entryList({QStringLiteral("*.pdf")}, QDir::Files), QStringList());
        QCOMPARE(dir.entryList({QStringLiteral("*.part")}, QDir::Files).size(), 1);

        QVERIFY(device->endJob());
        const QStringList pdfs = dir.entryList({QStringLiteral("*.pdf")}, QDir::Files);
        QCOMPARE(pdfs.size(), 1);
        QCOMPARE(dir.entryList({QStringLiteral("*.part")}, QDir::Files), QStringList());
        const QByteArray content = env.readFile(dir.filePath(pdfs.front()));
        QVERIFY(content.startsWith("%PDF-"));
        QVERIFY(content.trimmed().endsWith("%%EOF"));
    }
};

QTEST_MAIN(TestPrintDevice)
#include "tst_print_device.moc"
