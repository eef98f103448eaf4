// The one notification a retrieval is worth, decided from its summary, and
// shown through the session bus to a notification service of our own.
#include "scheduler/desktop/desktop_notifier.h"
#include "tests/support/notification_server.h"

#include <QtTest>

using namespace torvex;

Q_DECLARE_METATYPE(torvex::RetrievalSummary)

namespace {

RetrievalSummary summary(int printed, int unprintable, int regular, const QString& error = {}, int waiting = 0)
{
    return {true, printed, unprintable, regular, error, waiting};
}

}  // namespace

class TestRetrievalNotice : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void noticeOfARetrieval_data()
    {
        QTest::addColumn<RetrievalSummary>("now");
        QTest::addColumn<RetrievalSummary>("before");
        QTest::addColumn<QString>("summary");  // empty: no notification
        QTest::addColumn<QString>("body");
        QTest::addColumn<bool>("urgent");
        const QString error = QStringLiteral("Retrieval Error : The connection timed out");
        QTest::newRow("nothing happened") << summary(0, 0, 0) << summary(3, 0, 0) << "" << "" << false;
        QTest::newRow("three printed") << summary(3, 0, 0) << summary(0, 0, 0) << "3 TORVEXes printed" << "" << false;
        QTest::newRow("one printed, a regular fax")
            << summary(1, 0, 1) << summary(0, 0, 0) << "1 TORVEX printed" << "1 regular fax printed" << false;
        QTest::newRow("unprintable first")
            << summary(2, 1, 0) << summary(0, 0, 0) << "1 TORVEX could not be printed: filed as Unprintable"
            << "2 TORVEXes printed" << true;
        QTest::newRow("an error") << summary(0, 0, 0, error) << summary(0, 0, 0) << error << "" << true;
        QTest::newRow("the same error again") << summary(0, 0, 0, error) << summary(0, 0, 0, error) << "" << "" << false;
        QTest::newRow("receipts start waiting")
            << summary(2, 0, 0, {}, 2) << summary(0, 0, 0) << "2 TORVEXes printed"
            << "2 receipts wait in Out/: no mail server took them" << false;
        QTest::newRow("receipts still waiting") << summary(0, 0, 0, {}, 2) << summary(2, 0, 0, {}, 2) << "" << "" << false;
        QTest::newRow("a run that never finished: its counts are stale")
            << RetrievalSummary{false, 0, 0, 0, error, 0} << summary(0, 0, 0) << error << "" << true;
    }
    void noticeOfARetrieval()
    {
        QFETCH(RetrievalSummary, now);
        QFETCH(RetrievalSummary, before);
        QFETCH(QString, summary);
        QFETCH(QString, body);
        QFETCH(bool, urgent);
        const std::optional<Notice> notice = noticeFor(now, before);
        QCOMPARE(notice.has_value(), !summary.isEmpty());
        if (notice)
            QCOMPARE(std::tuple(notice->summary, notice->body, notice->urgent), std::tuple(summary, body, urgent));
    }

    // Through the bus: one call per notice, each replacing the one before.
    void shownByTheDesktopService()
    {
        test::NotificationServer server;
        QVERIFY2(server.start(), "no session bus: run the test under dbus-run-session");
        DesktopNotifier notifier;
        QSignalSpy shown(&notifier, &DesktopNotifier::shown);
        notifier.show({QStringLiteral("3 TORVEXes printed"), QString(), false});
        QVERIFY(shown.wait(10000));
        notifier.show({QStringLiteral("Retrieval Error : x"), QStringLiteral("1 TORVEX printed"), true});
        QVERIFY(shown.wait(10000));
        QCOMPARE(server.received().size(), 2);
        const test::NotificationServer::Received& first = server.received()[0];
        const test::NotificationServer::Received& second = server.received()[1];
        QCOMPARE(first.appName, QStringLiteral("TORVEX Print Scheduler"));
        QCOMPARE(first.summary, QStringLiteral("3 TORVEXes printed"));
        QCOMPARE(first.hints.value(QStringLiteral("urgency")).toInt(), 1);
        QCOMPARE(second.replacesId, shown[0][0].toUInt());
        QCOMPARE(second.body, QStringLiteral("1 TORVEX printed"));
        QCOMPARE(second.hints.value(QStringLiteral("urgency")).toInt(), 2);
    }
};

QTEST_MAIN(TestRetrievalNotice)
#include "tst_retrieval_notice.moc"
