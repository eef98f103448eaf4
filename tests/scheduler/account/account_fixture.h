#pragma once

#include "platform/settings/ini_file.h"
#include "scheduler/account/account_service.h"
#include "scheduler/core/scheduler_core.h"
#include "scheduler/core/system_date.h"
#include "tests/scheduler/account/sim_process.h"
#include "tests/scheduler/support/scheduler_fixture.h"

#include <QDir>
#include <QDirIterator>

namespace torvex::test {

// The scheduler core over a window kept in memory, with the service on a
// fresh simulator that knows the member: account.ini names the simulator
// and keeps the profile as the member's last update left it.
class ServiceFixture : public CoreFixture {
public:
    explicit ServiceFixture(const QMap<QString, QString>& settings = registeredSettings(),
                            const QStringList& simArgs = {})
        : CoreFixture(settings), sim(simArgs)
    {
        sim.writeAccounts(R"({"4420712345": {"password": "secret1", "firstname": "John",
                              "lastname": "Smith", "groups": "Members"}})");
        env.writeFile(QStringLiteral("account.ini"),
                      "[TORVEX]\nVX_domain_name=torvex.net\nVX_IP_Address=" + sim.address().toUtf8()
                          + "\n[MYINFO]\nlogin=4420712345\nfirstname=John\nlastname=Smith\n"
                            "street=1%20High%20St\ntown=Leeds\nstate=%20\nzip=12345\ncountry=UK\n"
                            "ccode=44\narea=113\nnumber=4960000\ncompany_name=%20\njob_title=%20\n");
    }

    [[nodiscard]] ServiceAccount& account() { return core().account(); }
    [[nodiscard]] AccountState& state() { return core().account().state(); }
    [[nodiscard]] SchedulerState& sched() { return core().state(); }
    [[nodiscard]] TelvaneInfo& info() { return core().state().info; }
    [[nodiscard]] StatusBar& status() { return core().statusBar(); }
    [[nodiscard]] static QString todayText() { return formatSystemDate(kLoadTime.date()); }
    [[nodiscard]] QString accountKey(const QString& section, const QString& key) const
    {
        return IniFile(env.path(QStringLiteral("account.ini"))).read(section, key, QStringLiteral("<absent>"));
    }
    // The /bbs request of the last enquiry, as the server saw it.
    [[nodiscard]] QString lastRequest() const
    {
        const QStringList all = sim.requests();
        return all.isEmpty() ? QString() : all.last();
    }
    // The actions of the /bbs requests, in order.
    [[nodiscard]] QStringList actions() const
    {
        QStringList out;
        for (const QString& r : sim.requests())
            out << r.section(QLatin1Char('&'), 0, 0).section(QLatin1Char('='), 1);
        return out;
    }
    // Every file the scheduler may have written: the program folder and the
    // settings file.
    [[nodiscard]] QStringList filesHolding(const QByteArray& needle) const
    {
        QStringList files{env.iniPath()};
        QDirIterator it(env.home(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next();
        erase_if(files, [&needle](const QString& path) { return !readWholeFile(path).contains(needle); });
        return files;
    }

    SimProcess sim;
};

}  // namespace torvex::test
