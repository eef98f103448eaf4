#pragma once

#include "platform/print/print_device.h"

#include <QSizeF>

#include <vector>

namespace torvex::test {

// A printer that keeps what was printed, and fails where told to.
class RecordingPrintDevice final : public PrintDevice {
public:
    struct Page {
        QStringList lines;  // text pages
        QSizeF imageInches;  // image pages
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

}  // namespace torvex::test
