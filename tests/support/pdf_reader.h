#pragma once

#include <QString>

#include <optional>

namespace torvex::test {

// Reads back what the PDF printer wrote, through poppler-utils.

// The text of one PDF; empty when pdftotext cannot read it.
[[nodiscard]] std::optional<QString> pdfText(const QString& pdf);

// The page count pdfinfo gives; -1 when it gives none.
[[nodiscard]] int pdfPageCount(const QString& pdf);

// How many images the PDF holds (pdfimages -list): a fax page is one.
[[nodiscard]] int pdfImageCount(const QString& pdf);

// The narrowest distance in points between any word and the right edge of
// its page (pdftotext -bbox); negative when a word runs off the page.
[[nodiscard]] double pdfTextRightMargin(const QString& pdf);

// The text of every PDF in the folder, in name order (the order of the jobs).
[[nodiscard]] QString printedText(const QString& folder);

}  // namespace torvex::test
