#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace torvex {

// Does the text hold a printable character: anything but tab, CR, LF,
// vertical tab and form feed, with a text of blanks only (or an empty one)
// counting as not printable.
[[nodiscard]] bool TestAllBlanks(const QString& text);

// Every character is a blank; the empty text counts as all blanks.
[[nodiscard]] bool AllSpaces(const QString& text);

// Reads a whole text file (UTF-8 where it is valid UTF-8, else Latin-1);
// false when it cannot be opened.
[[nodiscard]] bool LoadFile2(const QString& path, QString& text);

// Pages one text block may take, far above any real fax; a longer block
// is not printed at all.
inline constexpr int kMaxTextPages = 500;

// What one call of PrintBlockOfText puts on paper: its pages, each a list of
// lines as printed (a tab before every text line; with the page-header flag,
// the page header line and an empty line first).
struct TextBlockLayout {
    std::vector<QStringList> pages;
    // More than kMaxTextPages pages, or as many pages' lines on fewer
    // pages: the layout stopped there.
    bool tooLong = false;
};

struct PageHeaderFields {
    QString sent;
    QString received;
    QString sender;
};

// "S " + sent + "  R  " + received + "    " + sender + "   Page No. " + n.
[[nodiscard]] QString pageHeaderLine(const PageHeaderFields& fields, int pageNumber);

// Lays a text block out in pages of at most linesPerPage lines of at most
// charsPerLine characters: lines break at LF (with or without a CR before
// it), long lines are word-wrapped, and a form feed at the start of a line
// ends the page. Takes time in proportion to the text's length.
[[nodiscard]] TextBlockLayout layoutTextBlock(const QString& text, bool flgPageHdr,
                                              const PageHeaderFields& header, int charsPerLine,
                                              int linesPerPage);

}  // namespace torvex
