#include "common/telvane_info.h"
#include "platform/desktop/single_instance.h"
#include "printutil/run/print_run.h"
#include "tests/support/test_env.h"

#include <QDateTime>
#include <QDir>
#include <QtTest>

#include <memory>

using namespace torvex;

class TestPrintRunStartup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { env_ = std::make_unique<test::TestEnv>(); }
    void cleanup() { env_.reset(); }

    // Every start makes the working folders, the user's alone, and empties
    // temp; a run that cannot go on leaves its status and no summary, so
    // that the scheduler sees it as still going until it times out.
    void startsAndEnds_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("vxprint");
        QTest::addColumn<QString>("status");
        const QString summary = QStringLiteral(" Printed 0 TORVEXes + 0 Regular Faxes");
        QTest::newRow("nothing to fetch") << QByteArray("last_error=old error\nprint_status=old\n")
                                          << QStringList{"/6"} << 0 << "quit" << summary;
        QTest::newRow("built-in printer, spaced, receipts kept")
            << QByteArray("Printer_Type= TORVEX PDF \nSave_MDNs=y\n") << QStringList{"/6"} << 0 << "quit" << summary;
        QTest::newRow("unknown printer") << QByteArray("Printer_Type=No Such Printer\n") << QStringList{"/0"}
                                         << int(RunExit::PrinterError) << "running"
                                         << "Print Error : NO or BAD PRINTER CONFIGURED !";
        QTest::newRow("no command line") << QByteArray() << QStringList() << int(RunExit::NoCommandLine) << "running"
                                         << "Starting TORVEX Print";
    }
    void startsAndEnds()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, vxprint);
        QFETCH(QString, status);
        env_->writeFile(env_->iniPath(), "[TORVEX]\n" + settings);
        env_->writeFile(QStringLiteral("temp/0001.TIF"), "stale");
        QVERIFY(QDir().mkpath(env_->path(QStringLiteral("profiles/Windows Messaging Settings"))));
        const test::ProcessResult run = test::runProgram(QStringLiteral("vxprintu"), args);
        QVERIFY(run.finished);
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(readTorvexKey(QStringLiteral("VXPrint")), vxprint);
        QCOMPARE(readTorvexKey(QStringLiteral("print_status")), status);
        QCOMPARE(readTorvexKey(QStringLiteral("printing")), vxprint == QLatin1String("quit") ? "0" : "1");
        QCOMPARE(readTorvexKey(QStringLiteral("last_error"), QStringLiteral("absent")), QString());
        if (vxprint == QLatin1String("quit")) {
            QCOMPARE(readTorvexKey(QStringLiteral("session")), QStringLiteral("0,0,0,0"));
            QCOMPARE(readTorvexKey(QStringLiteral("totals")), QStringLiteral("0,0,0,0"));
        }
        if (args.isEmpty()) {
            QVERIFY(run.err.contains("TORVEX Print must be started by TORVEX Scheduler"));
            QVERIFY(run.err.contains("'Get TORVEXes Now'"));
        }
        // They hold faxes and receipts: the user's alone; MDNs only with Save_MDNs.
        QVERIFY(QDir(env_->path(QStringLiteral("temp"))).isEmpty());
        for (const char* folder : {"In", "Out", "temp"})
            QCOMPARE(QFileInfo(env_->path(QLatin1String(folder))).permissions() & 0x0fff, QFile::Permissions(0x0700));
        QCOMPARE(QDir(env_->path(QStringLiteral("MDNs"))).exists(), settings.contains("Save_MDNs"));
    }

    // A later start while a run goes on exits at once and writes nothing,
    // unless the run is past its own time bound: then it says so.
    void secondInstanceReportsOnlyARunPastItsBound_data()
    {
        QTest::addColumn<int>("boundSeconds");
        QTest::addColumn<bool>("reported");
        QTest::newRow("within its bound") << 3600 << false;
        QTest::newRow("past its bound") << -60 << true;
    }
    void secondInstanceReportsOnlyARunPastItsBound()
    {
        QFETCH(int, boundSeconds);
        QFETCH(bool, reported);
        // This test process takes the print utility's instance lock for the
        // same program folder and settings file.
        const SingleInstance first(QStringLiteral("vxprintu"));
        QVERIFY(!first.isPreviousInstance());
        first.setTimeBound(QDateTime::currentDateTime().addSecs(boundSeconds));
        writeTorvexKey(QStringLiteral("last_error"), QStringLiteral("marker"));
        const test::ProcessResult second = test::runProgram(QStringLiteral("vxprintu"), {QStringLiteral("/6")});
        QVERIFY(second.finished);
        QCOMPARE(second.exitCode, 0);
        const QString lastError = readTorvexKey(QStringLiteral("last_error"));
        if (reported) {
            QVERIFY2(lastError.startsWith(QStringLiteral("Print Error : TORVEX Print started ")), qPrintable(lastError));
            QVERIFY(lastError.endsWith(QStringLiteral(" is still running, past its time limit")));
        } else {
            QCOMPARE(lastError, QStringLiteral("marker"));
        }
        QCOMPARE(readTorvexKey(QStringLiteral("VXPrint"), QStringLiteral("absent")), QStringLiteral("absent"));
    }

private:
    std::unique_ptr<test::TestEnv> env_;
};

QTEST_GUILESS_MAIN(TestPrintRunStartup)
#include "tst_print_run_startup.moc"
