#pragma once

#include "platform/settings/ini_file.h"
#include "scheduler/account/account_service.h"
#include "scheduler/core/clock.h"
#include "scheduler/core/system_date.h"
#include "tests/scheduler/support/fake_view.h"
#include "tests/support/recording_message_boxes.h"
#include "tests/scheduler/account/sim_process.h"
#include "tests/support/test_env.h"

#include <QDate>
#include <QDir>
#include <QDirIterator>

namespace torvex::test {

// One registered user on a fresh simulator, the account code over an
// in-memory window, and the profile page filled in.
struct AccountFixture {
    explicit AccountFixture(const QStringList& simArgs = {}) : sim(simArgs)
    {
        sim.writeAccounts(R"({"5551234": {"password": "s3cret", "firstname": "John",
                              "lastname": "Smith", "groups": "Members"}})");
        sched.gAccountFilePath = env.path(QStringLiteral("account.ini"));
        env.writeFile(QStringLiteral("account.ini"), "[TORVEX]\nVX_domain_name=torvex.net\n");
        info.gVXDomainName = QStringLiteral("torvex.net");
        info.gVXIPAddress = sim.address();
        info.Password = QStringLiteral("s3cret");
        sched.gLogin = QStringLiteral("5551234");
        sched.gDomain = QStringLiteral("torvex.net");
        const std::pair<const char*, const char*> page[] = {
            {"txtFirstName", "John"},   {"txtLastName", "Smith"}, {"txtStreet", "1 High St"},
            {"txtTown", "Leeds"},       {"txtState", ""},         {"txtZip", "12345"},
            {"txtCountry", "UK"},       {"txtCCode", "44"},       {"txtArea", "113"},
            {"txtNo", "4960000"},       {"Text6", "john@example.com"},
            {"Command6", "&Set Up Address"},
        };
        for (const auto& [control, text] : page)
            view.setText(test::control(QString::fromLatin1(control)), QString::fromLatin1(text));
        // A registered account; the addresses of the network card and of the modem.
        info.gACDateStamp = QStringLiteral("01/01/2026");
        view.setText(Control::Text21, QStringLiteral("10.1.1.1"));
        view.setText(Control::Text8, QStringLiteral("10.2.2.2"));
        view.setEnabled(Control::Command6, true);
        view.setChecked(Control::Option2, true);
        status.setText(QStringLiteral("before"));
        QObject::connect(&status, &StatusBar::textChanged, [this](const QString& text) { statusHistory << text; });
        account.http.setRequestTimeoutMs(3000);
    }

    [[nodiscard]] QString todayText() const { return formatSystemDate(today); }
    [[nodiscard]] QString accountKey(const QString& section, const QString& key) const
    {
        return IniFile(sched.gAccountFilePath).read(section, key, QStringLiteral("<none>"));
    }
    [[nodiscard]] static QString setting(const QString& key)
    {
        return readTorvexKey(key, QStringLiteral("<none>"));
    }
    // The /bbs request of the last enquiry, as the server saw it.
    [[nodiscard]] QString lastRequest() const
    {
        const QStringList all = sim.requests();
        return all.isEmpty() ? QString() : all.last();
    }
    // Every file the scheduler may have written: the program folder and the
    // settings file.
    [[nodiscard]] QStringList filesHolding(const QByteArray& needle) const
    {
        QStringList holding;
        QStringList files{env.iniPath()};
        QDirIterator it(env.home(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next();
        for (const QString& path : files) {
            QFile file(path);
            if (file.open(QIODevice::ReadOnly) && file.readAll().contains(needle))
                holding << path;
        }
        return holding;
    }

    TestEnv env;
    SimProcess sim;
    SchedulerState sched;
    TelvaneInfo& info = sched.info;
    FakeView view;
    RecordingMessageBoxes boxes;
    QDate today{2026, 12, 7};
    FixedClock clock{QDateTime(today, QTime(9, 30))};
    StatusBar status{clock};
    QStringList statusHistory;  // every status text since the page was filled in
    ServiceAccount account{sched, view, status, boxes, [this] { return today; }};
    AccountState& state = account.state();
};

}  // namespace torvex::test
