#include "common/telvane_info.h"
#include "platform/mail/mail_text.h"
#include "platform/print/image_pages.h"
#include "platform/print/pcx_pages.h"
#include "platform/print/print_device.h"
#include "platform/print/printer_list.h"
#include "printutil/print/page_printer.h"
#include "printutil/print/text_layout.h"
#include "tests/support/recording_print_device.h"
#include "tests/support/test_env.h"
#include "tools/sample_fax.h"

#include <QBuffer>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace torvex;
using namespace torvex::tools;
using torvex::test::RecordingPrintDevice;

namespace {

const PageHeaderFields kHeader{QStringLiteral("sent"), QStringLiteral("recv"), QStringLiteral("from@x")};

QString spacedText(int length)
{
    QString text;
    for (int i = 1; i <= length; ++i)
        text += i % 10 == 0 ? QLatin1Char(' ') : QLatin1Char('a' + (i / 10) % 26);
    return text;
}

}  // namespace

Q_DECLARE_METATYPE(ImageLimit)

// The text layout, the image files and the page printer over a recording
// device.
class TestPagePrinter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { env_ = std::make_unique<test::TestEnv>(); }
    void cleanup() { env_.reset(); }

    void printableTests()
    {
        QVERIFY(!TestAllBlanks(QString()));
        QVERIFY(!TestAllBlanks(QStringLiteral("   ")));
        QVERIFY(!TestAllBlanks(QString::fromLatin1(kCrLf).repeated(3)));
        QVERIFY(!TestAllBlanks(QStringLiteral("\t\x0b\x0c\r\n")));
        QVERIFY(TestAllBlanks(QStringLiteral(" x")));
        QVERIFY(TestAllBlanks(QStringLiteral(" \r\n")));  // a blank among line ends counts
        QVERIFY(AllSpaces(QString()));
        QVERIFY(AllSpaces(QStringLiteral("  ")));
        QVERIFY(!AllSpaces(QStringLiteral(" \t")));
    }

    // Lines break at LF with or without CR, long lines wrap at the last
    // blank (or hard), a full page carries the rest over, a form feed ends
    // the page; without the flag no header, and trailing blank lines make
    // no page of their own.
    void layout_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("header");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("length");
        QTest::addColumn<QList<QStringList>>("pages");
        const QString wide = spacedText(250);
        const QString ff(QChar(12));
        QTest::newRow("long line wraps into three") << wide << false << 110 << 80
            << QList<QStringList>{{QLatin1Char('\t') + wide.left(110), QLatin1Char('\t') + wide.mid(110, 110),
                                   QLatin1Char('\t') + wide.mid(220)}};
        QTest::newRow("no blank: cut hard") << QString(25, QLatin1Char('x')) << false << 10 << 80
            << QList<QStringList>{{"\txxxxxxxxxx", "\txxxxxxxxxx", "\txxxxx"}};
        QTest::newRow("LF lines") << QStringLiteral("aaaa bbbb\nc\n") << false << 5 << 2
            << QList<QStringList>{{"\taaaa ", "\tbbbb"}, {"\tc"}};
        QTest::newRow("page length") << QStringLiteral("1\r\n2\r\n3\r\n4\r\n5\r\n") << true << 110 << 2
            << QList<QStringList>{{pageHeaderLine(kHeader, 1), "", "\t1", "\t2"},
                                  {pageHeaderLine(kHeader, 2), "", "\t3", "\t4"},
                                  {"S sent  R  recv    from@x   Page No. 3", "", "\t5"}};
        QTest::newRow("page full while wrapping") << QStringLiteral("aaaa bbbb cccc\r\n") << false << 5 << 2
            << QList<QStringList>{{"\taaaa ", "\tbbbb "}, {"\tcccc"}};
        QTest::newRow("form feed") << QStringLiteral("one\r\n") + ff + QStringLiteral("two\r\n") << true << 110 << 80
            << QList<QStringList>{{pageHeaderLine(kHeader, 1), "", "\tone"}, {pageHeaderLine(kHeader, 2), "", "\ttwo"}};
        QTest::newRow("trailing blank lines") << QStringLiteral("x\r\n") + ff + QStringLiteral("\r\n\r\n") << false
                                              << 110 << 80 << QList<QStringList>{{"\tx"}};
        QTest::newRow("empty") << QString() << false << 110 << 80 << QList<QStringList>{{}};
    }
    void layout()
    {
        QFETCH(QString, text);
        QFETCH(bool, header);
        QFETCH(int, width);
        QFETCH(int, length);
        QFETCH(QList<QStringList>, pages);
        const TextBlockLayout layout = layoutTextBlock(text, header, kHeader, width, length);
        QCOMPARE(QList<QStringList>(layout.pages.begin(), layout.pages.end()), pages);
        QVERIFY(!layout.tooLong);
    }

    // However the text is made, the layout stops past the page limit, in
    // time that grows with the text (an 8 MB line once took a minute).
    void textsPastThePageLimitStop_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("tooLong");
        QTest::newRow("one 8 MB line") << QString(8'000'000, QLatin1Char('x')) << true;
        QTest::newRow("a page per form feed") << (QStringLiteral("x\r\n") + QChar(12)).repeated(kMaxTextPages + 1) << true;
        QTest::newRow("LF lines on one page") << QStringLiteral("x\n").repeated(kMaxTextPages * 80 + 1) << true;
        QTest::newRow("at the limit") << QStringLiteral("x\r\n").repeated(kMaxTextPages * 80) << false;
    }
    void textsPastThePageLimitStop()
    {
        QFETCH(QString, text);
        QFETCH(bool, tooLong);
        const TextBlockLayout layout = layoutTextBlock(text, true, kHeader, 110, 80);
        QCOMPARE(layout.tooLong, tooLong);
        QVERIFY(int(layout.pages.size()) <= kMaxTextPages);
    }

    void loadFile2ReadsEveryByte()
    {
        env_->writeFile(QStringLiteral("t.txt"), QByteArray("a\r\n\xe9\0b", 6));
        QString text;
        QVERIFY(LoadFile2(env_->path(QStringLiteral("t.txt")), text));
        QCOMPARE(text, QString::fromLatin1(QByteArray("a\r\n\xe9\0b", 6)));
        QVERIFY(!LoadFile2(env_->path(QStringLiteral("missing.txt")), text));
    }

    // Every page of a fax TIFF or DCX, at its resolution,
    // pixel for pixel what was drawn.
    void faxFilesDecodeEveryPageAtTheirResolution_data()
    {
        QTest::addColumn<int>("compression");  // -1: DCX
        QTest::addColumn<bool>("fine");
        // The codings are libtiff's: one at each resolution reads them all.
        QTest::newRow("group 3") << int(FaxCompression::Group3) << false;
        QTest::newRow("group 4") << int(FaxCompression::Group4) << true;
        QTest::newRow("DCX") << -1 << false;
    }
    void faxFilesDecodeEveryPageAtTheirResolution()
    {
        QFETCH(int, compression);
        QFETCH(bool, fine);
        const QString path = env_->path(compression < 0 ? QStringLiteral("fax.dcx") : QStringLiteral("fax.tif"));
        SampleFaxOptions options;
        options.pages = 3;
        options.fine = fine;
        QVERIFY(compression < 0 ? writeSampleFaxDcx(path, options)
                                : writeSampleFaxTiff(path, options, FaxCompression(compression)));
        ImageError error;
        auto pages = openImagePages(path, &error);
        QVERIFY2(pages, qPrintable(error.text));
        QCOMPARE(pages->pageCount(), 3);
        const QImage expected = renderSampleFaxPage(options, 2);
        const QImage page = pages->page(1, &error);
        QCOMPARE(page.size(), QSize(1728, fine ? 2200 : 1100));
        QCOMPARE(qRound(page.dotsPerMeterX() * 0.0254), 204);
        QCOMPARE(qRound(page.dotsPerMeterY() * 0.0254), fine ? 196 : 98);
        // Pixel for pixel what was drawn (compare as black/white).
        QCOMPARE(page.convertToFormat(QImage::Format_RGB32), expected.convertToFormat(QImage::Format_RGB32));
        // Qt's own TIFF reader agrees about the file.
        if (compression >= 0)
            QCOMPARE(QImageReader(path, "tiff").imageCount(), 3);
    }

    void pcxPageOfOddWidth()
    {
        QImage small(13, 5, QImage::Format_Mono);
        small.fill(1);
        small.setPixel(3, 2, 0);
        small.setDotsPerMeterX(7874);
        small.setDotsPerMeterY(7874);
        const QByteArray pcx = encodeMonoPcx(small);
        ImageError error;
        QCOMPARE(decodePcx(pcx, &error).convertToFormat(QImage::Format_RGB32),
                 small.convertToFormat(QImage::Format_RGB32));
        ImageError truncatedError;
        QVERIFY(decodePcx(pcx.left(pcx.size() - 3), &truncatedError).isNull());
        QVERIFY(!truncatedError.text.isEmpty());
    }

    // How many pages a file has for the printer; none, with a reason, for
    // what is no image or is cut off or garbled.
    void imagesLoadable_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("pages");
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::red);
        for (const char* format : {"jpg", "bmp"}) {
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            QVERIFY(picture.save(&buffer, format));
            QTest::newRow(format) << buffer.data() << QStringLiteral("p.") + QLatin1String(format) << 1;
        }
        QTest::newRow("empty") << QByteArray() << QStringLiteral("e.tif") << 0;
        QTest::newRow("text as tif") << QByteArray("just some text\r\n") << QStringLiteral("t.tif") << 0;
        QTest::newRow("awd") << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 rest of an AWD", 23) << QStringLiteral("f.awd") << 0;
        QTest::newRow("tiff header only") << QByteArray("II*\0\x08\0\0\0", 8) << QStringLiteral("h.tif") << 0;
        QTest::newRow("dcx pointing outside") << QByteArray("\xB1\x68\xDE\x3A\xFF\xFF\0\0\0\0\0\0", 12) << QStringLiteral("d.dcx") << 0;
        const QTemporaryDir dir;
        const QString fax = dir.filePath(QStringLiteral("fax.tif"));
        QVERIFY(writeSampleFaxTiff(fax, {}, FaxCompression::Group4));
        const QByteArray whole = test::readWholeFile(fax);
        QTest::newRow("group 4 fax") << whole << QStringLiteral("fax.tif") << 3;
        for (const double keep : {0.1, 0.5, 0.9, 0.99})
            QTest::addRow("cut at %g", keep) << whole.left(qsizetype(whole.size() * keep)) << QStringLiteral("cut.tif") << 0;
        // Overwriting the image data with noise: libtiff refuses the codes.
        QByteArray noisy = whole;
        for (qsizetype i = 200; i < 4000; ++i)
            noisy[i] = char((i * 7919) & 0xff);
        QTest::newRow("noisy") << noisy << QStringLiteral("noisy.tif") << 0;
    }
    void imagesLoadable()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, name);
        QFETCH(int, pages);
        env_->writeFile(name, content);
        ImageError error;
        QCOMPARE(checkImageLoadable(env_->path(name), &error), pages);
        QCOMPARE(error.text.isEmpty(), pages > 0);
    }

    // Files past the limits are refused before their pages are decoded.
    void filesPastTheLimitsAreRefused_data()
    {
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("samples");  // 1: one bit per pixel, 3: RGB
        QTest::addColumn<ImageLimit>("limit");
        QTest::newRow("pages") << kMaxFaxPages + 1 << 16 << 16 << 1 << ImageLimit::Pages;
        QTest::newRow("pixels") << 1 << 8000 << 8000 << 1 << ImageLimit::PagePixels;
        QTest::newRow("memory") << 1 << 5200 << 5200 << 3 << ImageLimit::PageBytes;
        QTest::newRow("within") << kMaxFaxPages << 16 << 16 << 1 << ImageLimit::None;
    }
    void filesPastTheLimitsAreRefused()
    {
        QFETCH(int, pages);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, samples);
        QFETCH(ImageLimit, limit);
        const QString path = env_->path(QStringLiteral("limit.tif"));
        QVERIFY(writeBlankTiff(path, pages, width, height, samples == 3));
        ImageError error;
        QCOMPARE(checkImageLoadable(path, &error), limit == ImageLimit::None ? pages : 0);
        QCOMPARE(error.limit, limit);
        const ImageFileCheck check = PagePrinter::LoadImageFile(path);
        QCOMPARE(check.gflgFileOK, limit == ImageLimit::None);
        QCOMPARE(check.gImageLimit, limit);
    }

    void printNowRecordsEveryPageAtTrueSize()
    {
        const QString path = env_->path(QStringLiteral("fax.tif"));
        SampleFaxOptions options;
        options.fine = false;
        QVERIFY(writeSampleFaxTiff(path, options, FaxCompression::Group3));
        RecordingPrintDevice device;
        PagePrinter printer(device);
        const ImagePrintResult printed = printer.PrintNow(path);
        QVERIFY(printed.gflgPrintImage);
        QCOMPARE(printed.failure, PrintFailure::None);
        QCOMPARE(printed.gfaxPageCount, 3);
        QCOMPARE(int(device.jobs.size()), 1);
        QCOMPARE(int(device.jobs[0].pages.size()), 3);
        QVERIFY(device.jobs[0].ended);
        const QSizeF inches = device.jobs[0].pages[0].imageInches;
        QVERIFY(qAbs(inches.width() - 1728.0 / 204) < 0.01);
        QVERIFY(qAbs(inches.height() - 1100.0 / 98) < 0.01);

        // A file that cannot be printed never reaches the printer (a printer
        // that fails is the run test's fatal printer error).
        env_->writeFile(QStringLiteral("bad.tif"), "not an image");
        const ImagePrintResult bad = printer.PrintNow(env_->path(QStringLiteral("bad.tif")));
        QVERIFY(!bad.gflgPrintImage);
        QCOMPARE(bad.failure, PrintFailure::File);
        QVERIFY(!bad.gPrintErrMsg.isEmpty());
        QCOMPARE(int(device.jobs.size()), 1);
    }

    void textBlockFollowsTheSettings()
    {
        writeTorvexKey(QStringLiteral("chrs_per_line"), QStringLiteral("20"));
        writeTorvexKey(QStringLiteral("lines_per_page"), QStringLiteral("3"));
        RecordingPrintDevice device;
        PagePrinter printer(device);
        int pageNo = 0;
        QVERIFY(printer.PrintBlockOfText(QStringLiteral("one two three four five six seven eight nine ten\r\n"), true,
                                         QStringLiteral("s"), QStringLiteral("r"), QStringLiteral("f"), pageNo));
        QCOMPARE(int(device.jobs.size()), 1);
        QCOMPARE(int(device.jobs[0].pages.size()), 1);
        QCOMPARE(device.jobs[0].pages[0].lines.size(), 2 + 3);
        QCOMPARE(device.jobs[0].pages[0].lines[2], QStringLiteral("\tone two three four "));
        QCOMPARE(pageNo, 2);
        // A width of 0 would never end a line: the default stands in.
        writeTorvexKey(QStringLiteral("chrs_per_line"), QStringLiteral("0"));
        QVERIFY(printer.PrintBlockOfText(QString(300, QLatin1Char('x')), false, {}, {}, {}, pageNo));
        QCOMPARE(device.jobs[1].pages[0].lines.first().size(), 1 + 110);
    }

    void unwritablePdfFolderIsAPrinterError()
    {
        env_->writeFile(QStringLiteral("Printouts"), "a file where the folder should be");
        auto device = makePrintDevice(QString::fromLatin1(kPdfPrinterName), env_->path(QStringLiteral("Printouts")));
        PagePrinter printer(*device);
        int pageNo = 0;
        QVERIFY(!printer.PrintBlockOfText(QStringLiteral("x"), false, {}, {}, {}, pageNo));
        QVERIFY(device->errorString().contains(QStringLiteral("Printer Error")));
        auto missing = makePrintDevice(QStringLiteral("No Such Queue"), QString());
        QVERIFY(!missing->beginJob(QStringLiteral("t")));
        QVERIFY(missing->errorString().contains(QStringLiteral("Printer Error")));
    }

private:
    std::unique_ptr<test::TestEnv> env_;
};

QTEST_MAIN(TestPagePrinter)
#include "tst_page_printer.moc"
