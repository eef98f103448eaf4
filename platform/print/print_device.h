#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <memory>

namespace torvex {

// How a page of text is set: the font size in points, and the line width
// and page length the text was laid out for, so that a full page fits a
// sheet (the text is shrunk evenly when it would not).
struct TextPageStyle {
    double pointSize = 10;
    int charsPerLine = 110;
    int linesPerPage = 80;
};

// Why a file did not go on paper.
enum class PrintFailure {
    None,
    File,     // the file could not be read or a page of it not decoded: it is unprintable
    Printer,  // the printer failed: nothing more can be printed in this run
};

// One printer the utility prints on: each job is begun, gets its pages,
// and ends. Every failure it reports is the printer's own
// (PrintFailure::Printer); errorString() says what happened.
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
    // The message the next jobs print (its Maildir unique name), so that the
    // built-in PDF printer's printouts can be found by it; other printers
    // have no use for it.
    virtual void setJobOwner(const QString& owner) { (void)owner; }
};

// The printer of that name through Qt's printing: a CUPS queue, or the
// built-in PDF printer "TORVEX PDF", which writes each job as a new PDF
// file into its folder.
[[nodiscard]] std::unique_ptr<PrintDevice> makePrintDevice(const QString& printerName,
                                                           const QString& pdfFolder);

// A new printout name in the folder, by date, time and a sequence number
// ("TORVEX-20240305-102030-0001.pdf"), so that two jobs never share one
// and the names sort in the order the jobs were printed; a job of a
// message ends in the message's unique name, made safe for a file name
// ("...-0001-1712345678.M1P2Q3.host.pdf"). The job is written into its part
// file, created empty here, and renamed to the name once complete. Empty
// when the folder cannot be written.
[[nodiscard]] QString reservePrintoutFile(const QString& folder, const QString& owner = {});
// The complete printouts of the message with that unique name, oldest first.
[[nodiscard]] QStringList printoutsOf(const QString& folder, const QString& owner);
// Where the job of that printout is written until it is complete.
[[nodiscard]] QString printoutPartFile(const QString& printout);
// Deletes the part files jobs that were never completed left behind.
void removeUnfinishedPrintouts(const QString& folder);

}  // namespace torvex
