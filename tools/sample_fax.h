#pragma once

#include <QImage>
#include <QString>

namespace torvex::tools {

// Sample fax pages for tests, benchmarks and the demo, drawn with Qt:
// a letter page of text with a page number and a frame, one bit per pixel
// at fax resolution (204 dpi across, 196 "fine" or 98 "normal" down).
struct SampleFaxOptions {
    int pages = 3;
    bool fine = true;
    QString title = QStringLiteral("TORVEX sample fax");
};

[[nodiscard]] QImage renderSampleFaxPage(const SampleFaxOptions& options, int pageNumber);

enum class FaxCompression { Group3, Group3TwoD, Group4, None };

// A multi-page TIFF of the pages (Class F style: 1728 pixels wide, one
// strip per page, resolution tags set). False when it could not be written.
bool writeSampleFaxTiff(const QString& path, const SampleFaxOptions& options, FaxCompression compression);

// The same pages as a DCX file (PCX pages).
bool writeSampleFaxDcx(const QString& path, const SampleFaxOptions& options);

// A TIFF of blank pages of any size, one bit per pixel (Group 4) or RGB
// (deflated), so even a huge page costs little disk: for the limits.
bool writeBlankTiff(const QString& path, int pages, int width, int height, bool rgb);

}  // namespace torvex::tools
