#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace torvex {

// How a page of text is set: the font size in points, and the line width
// and page length the text was laid out for, so that a full page fits a
// sheet (the text is shrunk evenly when it would not).
struct TextPageStyle {
    double pointSize = 10;
    int charsPerLine = 110;
    int linesPerPage = 80;
};

// One printer the utility prints on: each job is begun, gets its pages,
// and ends. Texts of errors that the printer itself raised hold "Printer
// Error", which the run treats as fatal.
class PrintDevice {
public:
    virtual ~PrintDevice() = default;
    virtual bool beginJob(const QString& title) = 0;
    // Lines of text, tab stops every eight characters; a page longer than
    // a sheet goes on on the next sheet.
    virtual bool printTextPage(const QStringList& lines, const TextPageStyle& style) = 0;
    // One image on its own sheet at the image's own resolution, reduced
    // only where it would not fit the paper.
    virtual bool printImagePage(const QImage& page) = 0;
    virtual bool endJob() = 0;
    [[nodiscard]] virtual QString errorString() const = 0;
};

// The printer of that name through Qt's printing: a CUPS queue, or the
// built-in PDF printer "TORVEX PDF", which writes each job as a new PDF
// file into its folder.
[[nodiscard]] std::unique_ptr<PrintDevice> makePrintDevice(const QString& printerName,
                                                           const QString& pdfFolder);

// A new printout name in the folder, by date, time and a sequence number
// ("TORVEX-20240305-102030-0001.pdf"), so that two jobs never share one
// and the names sort in the order the jobs were printed. The job is
// written into its part file, created empty here, and renamed to the
// name once complete. Empty when the folder cannot be written.
[[nodiscard]] QString reservePrintoutFile(const QString& folder);
// Where the job of that printout is written until it is complete.
[[nodiscard]] QString printoutPartFile(const QString& printout);
// Deletes the part files jobs that were never completed left behind.
void removeUnfinishedPrintouts(const QString& folder);

// Test double: keeps what was printed, and fails where told to.
class RecordingPrintDevice final : public PrintDevice {
public:
    struct Page {
        QStringList lines;  // text pages
        QSize imageSize;    // image pages
        QSizeF imageInches;
    };
    struct Job {
        QString title;
        std::vector<Page> pages;
        bool ended = false;
    };

    bool beginJob(const QString& title) override;
    bool printTextPage(const QStringList& lines, const TextPageStyle& style) override;
    bool printImagePage(const QImage& page) override;
    bool endJob() override;
    [[nodiscard]] QString errorString() const override { return error; }

    std::vector<Job> jobs;
    int failBeginAfterJobs = -1;  // begin fails once this many jobs were begun
    QString error;
};

}  // namespace torvex
