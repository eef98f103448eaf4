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

    void runWithoutFetchingEndsWithSummary()
    {
        env_->writeFile(env_->iniPath(), "[TORVEX]\nlast_error=old error\nprint_status=old\n");
        env_->writeFile(QStringLiteral("temp/0001.TIF"), "stale");
        QVERIFY(QDir().mkpath(env_->path(QStringLiteral("profiles/Windows Messaging Settings"))));
        const test::ProcessResult run = test::runProgram(QStringLiteral("vxprintu"), {QStringLiteral("/6")});
        QVERIFY(run.finished);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(readTorvexKey(QStringLiteral("VXPrint")), QStringLiteral("quit"));
        QCOMPARE(readTorvexKey(QStringLiteral("printing")), QStringLiteral("0"));
        QCOMPARE(readTorvexKey(QStringLiteral("session")), QStringLiteral("0,0,0,0"));
        QCOMPARE(readTorvexKey(QStringLiteral("totals")), QStringLiteral("0,0,0,0"));
        QCOMPARE(readTorvexKey(QStringLiteral("last_error"), QStringLiteral("absent")), QString());
        QCOMPARE(readTorvexKey(QStringLiteral("print_status")),
                 QStringLiteral(" Printed 0 TORVEXes + 0 Regular Faxes"));
        // Working folders exist, temp is emptied, MDNs only with Save_MDNs.
        QVERIFY(QDir(env_->path(QStringLiteral("In"))).exists());
        QVERIFY(QDir(env_->path(QStringLiteral("Out"))).exists());
        QVERIFY(QDir(env_->path(QStringLiteral("temp"))).isEmpty());
        QVERIFY(!QDir(env_->path(QStringLiteral("MDNs"))).exists());
        // They hold faxes and receipts: the user's alone.
        for (const char* folder : {"In", "Out", "temp"})
            QCOMPARE(QFileInfo(env_->path(QLatin1String(folder))).permissions() & 0x0fff, QFile::Permissions(0x0700));
    }

    void saveMdnsCreatesTheReceiptsFolder()
    {
        env_->writeFile(env_->iniPath(), "[TORVEX]\nSave_MDNs=y\n");
        QVERIFY(test::runProgram(QStringLiteral("vxprintu"), {QStringLiteral("/6")}).finished);
        QVERIFY(QDir(env_->path(QStringLiteral("MDNs"))).exists());
    }

    void unknownPrinterEndsAtOnce()
    {
        env_->writeFile(env_->iniPath(), "[TORVEX]\nPrinter_Type=No Such Printer\n");
        const test::ProcessResult run = test::runProgram(QStringLiteral("vxprintu"), {QStringLiteral("/0")});
        QVERIFY(run.finished);
        QCOMPARE(readTorvexKey(QStringLiteral("print_status")),
                 QStringLiteral("Print Error : NO or BAD PRINTER CONFIGURED !"));
        // No summary: the scheduler sees the run as still going until it times out.
        QCOMPARE(readTorvexKey(QStringLiteral("VXPrint")), QStringLiteral("running"));
        QCOMPARE(readTorvexKey(QStringLiteral("printing")), QStringLiteral("1"));
    }

    void builtInPdfPrinterIsFound()
    {
        env_->writeFile(env_->iniPath(), "[TORVEX]\nPrinter_Type= TORVEX PDF \n");
        QVERIFY(test::runProgram(QStringLiteral("vxprintu"), {QStringLiteral("/6")}).finished);
        QCOMPARE(readTorvexKey(QStringLiteral("VXPrint")), QStringLiteral("quit"));
    }

    void emptyCommandLineIsRefused()
    {
        const test::ProcessResult run = test::runProgram(QStringLiteral("vxprintu"), {});
        QVERIFY(run.finished);
        QCOMPARE(run.exitCode, int(RunExit::NoCommandLine));
        QVERIFY(run.err.contains("TORVEX Print must be started by TORVEX Scheduler"));
        QVERIFY(run.err.contains("'Get TORVEXes Now'"));
        QCOMPARE(readTorvexKey(QStringLiteral("print_status")), QStringLiteral("Starting TORVEX Print"));
        QCOMPARE(readTorvexKey(QStringLiteral("VXPrint")), QStringLiteral("running"));
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
