#include "tests/scheduler/account/account_fixture.h"

#include <QtTest>

#include <memory>

using namespace torvex;
using test::AccountFixture;

namespace {

QByteArray accountWithGroups(const QString& groups)
{
    QString json = QStringLiteral(R"({"5551234": {"password": "s3cret")");
    if (!groups.isNull())
        json += QStringLiteral(R"(, "groups": "%1")").arg(groups);
    return (json + QStringLiteral("}}")).toUtf8();
}

const Control kForwarding[] = {Control::Check16, Control::Check17, Control::Check18, Control::Option3,
                               Control::Option4, Control::Option5, Control::Option6, Control::Option7,
                               Control::Option8, Control::Text23,  Control::Text24,  Control::Text25,
                               Control::Text26,  Control::Text27,  Control::Text28};

}  // namespace

// The member status from the user record's groups, and what it switches.
class TestMemberStatus : public QObject {
    Q_OBJECT

    std::unique_ptr<AccountFixture> f;

private Q_SLOTS:
    void init()
    {
        f = std::make_unique<AccountFixture>();
        QVERIFY(f->sim.isRunning());
    }
    void cleanup() { f.reset(); }

    void checkAgainstTheServer_data()
    {
        QTest::addColumn<QString>("groups");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("title");
        QTest::newRow("members and relay") << "Members, Relay" << "3" << " Relay ";
        QTest::newRow("lower-case brisko") << "brisko" << "4" << " Brisko ";
        QTest::newRow("brisko and relay") << "Brisko, Relay" << "5" << " Brisko+Relay ";
        QTest::newRow("brisko relay, no comma") << "Brisko Relay" << "5" << " Brisko+Relay ";
        QTest::newRow("members") << "Members" << "2" << " Member ";
        QTest::newRow("no groups item") << QString() << "1" << " Basic ";
        QTest::newRow("another group") << "Guests" << "1" << " Basic ";
    }

    void checkAgainstTheServer()
    {
        QFETCH(QString, groups);
        QFETCH(QString, status);
        QFETCH(QString, title);
        f->sim.writeAccounts(accountWithGroups(groups));
        f->info.gMemberStatus = QStringLiteral("-");
        QVERIFY(f->account.member.CheckMemberStatus());
        QCOMPARE(f->info.gMemberStatus, status);
        QCOMPARE(f->setting(QStringLiteral("Use_Defaults")), status);
        QCOMPARE(f->setting(QStringLiteral("Profile_Last_Change")), f->todayText());
        QCOMPARE(f->info.gUserProfileStamp, f->todayText());
        QCOMPARE(f->account.member.getMemberTitle(), title);
        QVERIFY(f->lastRequest().startsWith(QLatin1String("/bbs?action=showdb&what=users&name=5551234 user=5551234")));
        QVERIFY(f->boxes.shown.empty());

        // The same groups again: no change.
        QVERIFY(!f->account.member.CheckMemberStatus());
    }

    void aFailedCheckKeepsTheStatusAndItsDate()
    {
        f->info.Password = QStringLiteral("wrong");
        f->info.gMemberStatus = QStringLiteral("4");
        QVERIFY(!f->account.member.CheckMemberStatus());
        QCOMPARE(f->info.gMemberStatus, QStringLiteral("4"));
        QCOMPARE(f->setting(QStringLiteral("Profile_Last_Change")), QStringLiteral("<none>"));
        QCOMPARE(f->setting(QStringLiteral("Use_Defaults")), QStringLiteral("<none>"));
        QCOMPARE(f->boxes.texts(), QStringList{QStringLiteral("Access denied!\r\nPlease check your password and retry!")});

        f->info.gMemberStatus.clear();
        QVERIFY(f->sim.setMode(QStringLiteral("stall")));
        f->account.http.setRequestTimeoutMs(400);
        QVERIFY(!f->account.member.CheckMemberStatus());
        QCOMPARE(f->info.gMemberStatus, QStringLiteral("1"));
    }

    void featuresFollowTheStatus_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("forwarding");
        QTest::addColumn<bool>("relay");
        QTest::addColumn<QString>("title");
        QTest::newRow("none yet") << "" << false << false << "";
        QTest::newRow("dash") << "-" << false << false << "";
        QTest::newRow("base") << "1" << false << false << " Basic ";
        QTest::newRow("member") << "2" << true << false << " Member ";
        QTest::newRow("relay") << "3" << true << true << " Relay ";
        QTest::newRow("brisko") << "4" << true << false << " Brisko ";
        QTest::newRow("brisko relay") << "5" << true << true << " Brisko+Relay ";
    }

    void featuresFollowTheStatus()
    {
        QFETCH(QString, status);
        QFETCH(bool, forwarding);
        QFETCH(bool, relay);
        QFETCH(QString, title);
        for (const Control c : {Control::Check6, Control::Check10, Control::Check11})
            f->view.setEnabled(c, false);
        for (const Control c : kForwarding)
            f->view.setEnabled(c, !forwarding);
        f->view.setEnabled(Control::Check15, !relay);
        f->view.setEnabled(Control::Option9, !relay);
        f->info.gMemberStatus = status;
        f->account.member.ResetGroupFunctions();
        for (const Control c : {Control::Check6, Control::Check10, Control::Check11})
            QVERIFY(f->view.isEnabled(c));
        for (const Control c : kForwarding)
            QVERIFY2(f->view.isEnabled(c) == forwarding, qPrintable(controlName(c)));
        QCOMPARE(f->view.isEnabled(Control::Check15), relay);
        QCOMPARE(f->view.isEnabled(Control::Option9), relay);
        QCOMPARE(f->view.text(Control::Label50), title);
    }
};

QTEST_GUILESS_MAIN(TestMemberStatus)
#include "tst_member_status.moc"
