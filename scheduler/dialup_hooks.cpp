#include "dialup_hooks.h"

namespace torvex {
namespace {

// Until dial-up is wired in, the window sees no dial-up service.
class NoDialUp final : public DialUpHooks {
public:
    bool installed() override { return false; }
    QStringList phoneBookEntries() override { return {}; }
    bool connected() override { return false; }
    QString statusText() override { return {}; }
    QString currentEntry() override { return {}; }
    void setCurrentEntry(const QString&) override {}
    bool IsDialUpConnected() override { return false; }
    void DisConnectDialUp() override {}
};

}  // namespace

std::unique_ptr<DialUpHooks> makeDialUpHooks(MainForm&)
{
    return std::make_unique<NoDialUp>();
}

}  // namespace torvex
