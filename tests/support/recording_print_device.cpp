#include "recording_print_device.h"

namespace torvex::test {
namespace {

constexpr double kMetersPerInch = 0.0254;

}  // namespace

bool RecordingPrintDevice::beginJob(const QString& title)
{
    if (failBeginAfterJobs >= 0 && int(jobs.size()) >= failBeginAfterJobs) {
        error = QStringLiteral("Printer Error : test printer is off");
        return false;
    }
    jobs.push_back({title, {}, false});
    return true;
}

bool RecordingPrintDevice::printTextPage(const QStringList& lines, const TextPageStyle&)
{
    if (jobs.empty())
        return false;
    jobs.back().pages.push_back({lines, QSizeF()});
    return true;
}

bool RecordingPrintDevice::printImagePage(const QImage& page)
{
    if (jobs.empty())
        return false;
    const double dpiX = page.dotsPerMeterX() * kMetersPerInch;
    const double dpiY = page.dotsPerMeterY() * kMetersPerInch;
    jobs.back().pages.push_back({{}, QSizeF(page.width() / dpiX, page.height() / dpiY)});
    return true;
}

bool RecordingPrintDevice::endJob()
{
    if (jobs.empty())
        return false;
    jobs.back().ended = true;
    return true;
}

}  // namespace torvex::test
