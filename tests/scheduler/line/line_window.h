#pragma once

#include "tests/scheduler/support/scheduler_fixture.h"

#include <QDate>
#include <QMap>

namespace torvex::test {

// The scheduler with its real dial-up and line monitor over an in-memory
// window: NetworkManager is whatever PATH holds (a FakeNmcli in these
// tests), the modems are the ones the settings name.
class LineWindow : public CoreFixture {
public:
    explicit LineWindow(const QMap<QString, QString>& settings,
                        const QByteArray& accountIni = "[TORVEX]\nVX_IP_Address=127.0.0.1:9\n[MYINFO]\n");

    // Loads at 10:00 on today(); the schedule's ticks are stopped, so they
    // cannot rewrite the status bar mid-test.
    bool load();

    [[nodiscard]] static QDate today() { return {2024, 3, 12}; }
};

}  // namespace torvex::test
