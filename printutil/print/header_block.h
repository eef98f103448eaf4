#pragma once

#include <QDateTime>
#include <QString>

namespace torvex {

// Outcome texts of the status lines, one line per attachment event.
inline constexpr auto kValidFormat = "Valid TORVEX Format";
inline constexpr auto kInvalidFormat = "Invalid File Format";
inline constexpr auto kFileProcessed = "File Processed";
inline constexpr auto kPossiblePrinterError = "Not Printed, Possible Printer Error";
inline constexpr auto kCouldNotOpen = "Could not Open File.";
inline constexpr auto kSentToPrinter = "Sent to Printer";
// What passed one of the limits of a TORVEX: never printed, and the
// TORVEX is filed as unprintable.
inline constexpr auto kTooManyPages = "Not Printed, more than 500 pages";
inline constexpr auto kPageTooLarge = "Not Printed, a page of more than 60 million pixels";
inline constexpr auto kPageTooHeavy = "Not Printed, a page of more than 100 MB";
inline constexpr auto kTooManyFiles = "Not Printed, more than 100 files in one TORVEX";
inline constexpr auto kTextTooLong = "Not Printed, more than 500 text pages";

// Tab, the attachment's upper-case name, tab, the outcome, CR LF.
[[nodiscard]] QString statusLine(const QString& name, const char* outcome);

// The dates printed in header blocks and page headers.
[[nodiscard]] QString printedDate(const QDateTime& when);

// What the header block of one TORVEX shows.
struct HeaderBlockFields {
    QString torvexAddr;
    QString sender;
    QString sent;       // the message's "Date:" value
    QString received;
    QString processed;
    QString statusLines;
    QString vcardText;
    QString subject;
};

// Three empty lines, To, From, Sent, Received, Processed, the status lines
// under "TORVEXes:", the vCard text, an empty line and the subject.
[[nodiscard]] QString headerBlock(const HeaderBlockFields& fields);

// The report printed for a regular fax that could not be printed.
[[nodiscard]] QString regularFaxErrorReport(const QString& sender, const QString& sent,
                                            const QString& received, const QString& subject);

// The upper-case file type as filed: TIFF as TIF, XIFF as XIF, JPEG as JPG.
[[nodiscard]] QString normalisedFileType(const QString& type);

// The decoded copy of attachment n: its number as four digits, a point and
// the type ("0003.TIF").
[[nodiscard]] QString numberedFileName(int attachment, const QString& type);

}  // namespace torvex
