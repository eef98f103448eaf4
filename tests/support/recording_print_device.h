#pragma once

#include "platform/print/print_device.h"

#include <QImage>
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

    bool beginJob(const QString& title) override
    {
        if (failBeginAfterJobs >= 0 && int(jobs.size()) >= failBeginAfterJobs) {
            error = QStringLiteral("Printer Error : test printer is off");
            return false;
        }
        jobs.push_back({title, {}, false});
        return true;
    }
    bool printTextPage(const QStringList& lines, const TextPageStyle&) override
    {
        return add({lines, QSizeF()});
    }
    bool printImagePage(const QImage& page) override
    {
        constexpr double kMetersPerInch = 0.0254;
        return add({{}, QSizeF(page.width() / (page.dotsPerMeterX() * kMetersPerInch),
                               page.height() / (page.dotsPerMeterY() * kMetersPerInch))});
    }
    bool endJob() override
    {
        if (jobs.empty())
            return false;
        jobs.back().ended = true;
        return true;
    }
    [[nodiscard]] QString errorString() const override { return error; }

    std::vector<Job> jobs;
    int failBeginAfterJobs = -1;  // begin fails once this many jobs were begun
    QString error;

private:
    bool add(Page page)
    {
        if (jobs.empty())
            return false;
        jobs.back().pages.push_back(std::move(page));
        return true;
    }
};

}  // namespace torvex::test
