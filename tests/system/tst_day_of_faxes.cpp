// A day of faxes, end to end: vxschedule (offscreen) runs its own schedule
// and starts vxprintu cycle after cycle; 50 TORVEXes arrive in batches at
// Dovecot, receipts go to two aiosmtpd servers, one of which is down for part
// of the day, and one run of the print utility is killed in the middle.
// At the end every TORVEX is printed and filed exactly once, every receipt
// arrived exactly once and the settings are as the user left them.
#include "common/telvane_info.h"
#include "platform/settings/profile_api.h"
#include "tests/support/run_bench.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include <ranges>
#include <tuple>

#include <signal.h>

using namespace torvex;
using test::DovecotServer;
using test::SmtpTestServer;

namespace {

constexpr int kTorvexes = 50;
constexpr int kBatch = 10;
// Header part and fax: the print jobs of one TORVEX; a note adds one.
constexpr int kJobsPerTorvex = 2;

QString noteToken(int n)
{
    return QStringLiteral("NOTE-TOKEN-%1-END").arg(n, 3, 10, QLatin1Char('0'));
}

// Every fifth TORVEX brings a text file besides its fax.
bool hasNote(int n)
{
    return n % 5 == 2;
}

// Which TORVEXes ask for a receipt (every third in full mode): in the
// killed batch the first four do not, so that the run has printed before it
// waits on a receipt.
bool wantsReceipt(int n)
{
    return n % 3 != 2 && (n <= 40 || n > 44);
}

// The settings the user left: the scheduler runs every minute all day and
// prints on the built-in PDF printer; general_timout 9 gives ten minutes for
// a run and for an SMTP reply (ten seconds scaled).
const std::pair<const char*, const char*> kUserSettings[] = {
    {"Use_Defaults", "2"}, {"Account_Date_Stamp", "2024-01-02"}, {"Torvex_Addr", "torvex@127.0.0.1"},
    {"Password", "secret"}, {"Save_Pass", "1"}, {"Torvex_Profile", "TORVEX"}, {"Torvex_Name", "Day Office"},
    {"Country_Code", "44"}, {"Area_Code", "207"}, {"Fax_Number", "12345"}, {"Normal_EMail_Addr", "office@127.0.0.2"},
    {"User_SMTP_Server", "127.0.0.2"}, {"SMTP_Server2", ""}, {"Printer_Type", "TORVEX PDF"},
    {"Activate_Scheduler", "y"}, {"Cycle_Minutes", "1"}, {"Start_Time", "0"}, {"Stop_Time", "24"},
    {"GSTN_Fax_Minutes", "15"}, {"Modem_Connect", "n"}, {"Confirm_Receipt", "y"}, {"Print_Full_Header", "n"},
    {"Print_Simple_Header", "n"}, {"Print_Error_Info", "y"}, {"Print_Page_Hdr", "y"}, {"Print_Normal_Fax", "n"},
    {"Get_Normal_EMail", "n"}, {"wake_probes", "0"}, {"wake_probe_seconds", "40"}, {"general_timout", "9"},
    {"modem_devices", "none"}, {"Day_Marker", "kept by both programs"},
};

// The service's mail domain is the loopback address the test servers use.
const QByteArray kAccountFile = "[TORVEX]\r\nVX_domain_name=127.0.0.1\r\nVX_IP_Address=\r\n"
                                "VX_SMTP_Server=\r\nLast_Resort_SMTP_Server=\r\nDefault_Profile=TORVEX\r\n"
                                "[MYINFO]\r\nlogin=12345\r\nfirstname=Day\r\nlastname=Office\r\n";

// The pid of the print utility running with its working folder in home.
qint64 printUtilityPid(const QString& home)
{
    const QString folder = QFileInfo(home).canonicalFilePath();
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const QString proc = QStringLiteral("/proc/") + pid;
        if (QFileInfo(QFileInfo(proc + QStringLiteral("/exe")).symLinkTarget()).fileName() == QLatin1String("vxprintu")
            && QFileInfo(proc + QStringLiteral("/cwd")).symLinkTarget() == folder)
            return pid.toLongLong();  // "self" and the like run the test, not vxprintu
    }
    return 0;
}

}  // namespace

class TestDayOfFaxes : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (const QString missing = test::missingMailServers(true); !missing.isEmpty())
            QSKIP(qPrintable(missing));
        // A minute of the schedule is one second.
        qputenv("TORVEX_TIME_SCALE", "60");
    }

    void aDayOfFaxes()
    {
        setUpDay();
        if (QTest::currentTestFailed())
            return;

        // Morning: both receipt servers up.
        deliverBatch(1);
        QVERIFY(waitForFiled(10));
        QVERIFY(bench_.filesIn(QStringLiteral("Out")).isEmpty());

        // Server A is down: receipts go on to the user's own server.
        const quint16 port = smtpA_.port();
        smtpA_.stop();
        deliverBatch(11);
        QVERIFY(waitForFiled(20));
        QVERIFY(bench_.filesIn(QStringLiteral("Out")).isEmpty());

        // Both down: the receipts wait in Out/.
        smtpB_.stop();
        deliverBatch(21);
        QVERIFY(waitForFiled(30));
        QCOMPARE(bench_.filesIn(QStringLiteral("Out")).size(), std::ranges::count_if(std::views::iota(21, 31), wantsReceipt));

        // A is back on its port: the next run sends what waited, then the new
        // ones. A run that began while A was still down files the batch and
        // leaves what waited to the run after it.
        QVERIFY(smtpA_.start(QStringLiteral("127.0.0.1"), port));
        deliverBatch(31);
        QVERIFY(waitForFiled(40));
        QTRY_VERIFY_WITH_TIMEOUT(bench_.filesIn(QStringLiteral("Out")).isEmpty(), 30000);
        QVERIFY(smtpB_.start(QStringLiteral("127.0.0.2"), port));

        // Afternoon: a run is killed while it waits on a receipt server.
        // Server A takes connections but never answers: the run that reaches
        // the first receipt of the batch waits there, its printouts made, its
        // moves recorded and the receipt stored in Out/.
        const int printedBefore = int(bench_.printouts().size());
        QVERIFY(smtpA_.pause());
        deliverBatch(41);
        const bool held = QTest::qWaitFor([&] { return !bench_.filesIn(QStringLiteral("Out")).isEmpty(); }, 60000);
        const qint64 pid = printUtilityPid(bench_.env.home());
        QVERIFY(held);
        QVERIFY(pid > 0);
        QCOMPARE(readTorvexKey(QStringLiteral("VXPrint")), QStringLiteral("running"));
        // The four TORVEXes without a receipt request and the one asking for it.
        QVERIFY2(int(bench_.printouts().size()) - printedBefore >= kJobsPerTorvex,
                 qPrintable(QString::number(bench_.printouts().size())));
        QVERIFY(::kill(pid_t(pid), SIGKILL) == 0);
        QVERIFY(QTest::qWaitFor([&] { return !QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid)); }, 10000));
        QVERIFY(smtpA_.resume());
        QVERIFY(waitForFiled(kTorvexes, 90000));
        QVERIFY(QTest::qWaitFor([&] { return bench_.filesIn(QStringLiteral("Out")).isEmpty(); }, 30000));

        scheduler_.terminate();
        QVERIFY(scheduler_.waitForFinished(10000));

        // Printed once.
        const QDir dir(bench_.home(QStringLiteral("Printouts")));
        QCOMPARE(dir.entryList({QStringLiteral("*.part")}, QDir::Files), QStringList());
        QStringList tokens = test::batchTokens(kTorvexes);
        QList<int> once(kTorvexes, 1);
        for (int n = 1; n <= kTorvexes; ++n) {
            tokens << noteToken(n);
            once << (hasNote(n) ? 1 : 0);
        }
        QCOMPARE(test::timesPrinted(dir.path(), tokens), once);
        // Each TORVEX's fax page (and note) once besides its header part.
        QCOMPARE(bench_.printouts().size(),
                 kJobsPerTorvex * kTorvexes + std::ranges::count_if(std::views::iota(1, kTorvexes + 1), hasNote));

        // Every receipt asked for arrived once, at the right server: while A
        // was down (and only then) the user's own server took them.
        const QList<SmtpTestServer::Delivery> atB = smtpB_.deliveries();
        test::verifyReceipts(smtpA_.deliveries() + atB, kTorvexes, [](int n) { return wantsReceipt(n) ? 1 : 0; });
        test::verifyReceipts(atB, kTorvexes, [](int n) { return wantsReceipt(n) && n > 10 && n <= 20 ? 1 : 0; });

        // Fetched and filed once; the other folders were made and hold nothing.
        bench_.verifyFiledOnce(pop_, kTorvexes);
        for (const char* other : {".TORVEXes.Unprintable", ".TORVEXes.Sent", ".TORVEXes.Receipts Out", ".Deleted Items"}) {
            QVERIFY2(QFileInfo(bench_.profile(QLatin1String(other))).isDir(), other);
            QVERIFY2(test::maildirMessageFiles(bench_.profile(QLatin1String(other))).isEmpty(), other);
        }

        // The file parses: sections, keys with values and empty lines only.
        QStringList unparsed = QString::fromUtf8(bench_.env.readFile(bench_.env.iniPath())).split(u'\n');
        erase_if(unparsed, [](const QString& raw) {
            const QString line = raw.trimmed();
            return line.isEmpty() || (line.startsWith(u'[') && line.endsWith(u']')) || line.indexOf(u'=') > 0;
        });
        QCOMPARE(unparsed, QStringList());
        // Every key the user set is as the user set it.
        for (const auto& [key, value] : kUserSettings) {
            const QString now = GetProfileStringA(QStringLiteral("TORVEX"), QLatin1String(key), QStringLiteral("<missing>"));
            QVERIFY2(now == QLatin1String(value), qPrintable(QLatin1String(key) + QStringLiteral(" is now ") + now));
        }
        QCOMPARE(GetProfileStringA(QStringLiteral("Other"), QStringLiteral("keep"), QString()), QStringLiteral("1"));
        QCOMPARE(readTorvexKey(QStringLiteral("session")).section(QLatin1Char(','), 1), QStringLiteral("0,0,0"));

        const QString account = bench_.home(QStringLiteral("account.ini"));
        const std::tuple<const char*, const char*, const char*> accountKeys[] = {
            {"TORVEX", "VX_domain_name", "127.0.0.1"}, {"TORVEX", "VX_IP_Address", ""}, {"TORVEX", "VX_SMTP_Server", ""},
            {"TORVEX", "Last_Resort_SMTP_Server", ""}, {"TORVEX", "Default_Profile", "TORVEX"},
            {"MYINFO", "login", "12345"}, {"MYINFO", "firstname", "Day"}, {"MYINFO", "lastname", "Office"}};
        for (const auto& [section, key, value] : accountKeys)
            QCOMPARE(GetPrivateProfileStringA(QLatin1String(section), QLatin1String(key), QStringLiteral("<missing>"), account),
                     QLatin1String(value));
        // The print utility logs its last send there.
        QVERIFY(QString::fromUtf8(bench_.env.readFile(account)).contains(QStringLiteral("SMTP_Type=MDN+")));
    }

private:
    void setUpDay()
    {
        QVERIFY(test::startMailbox(pop_));
        // Receipts go to the sender's domain first (server A on 127.0.0.1),
        // then to the user's own SMTP server (server B on 127.0.0.2), both on
        // one port.
        const quint16 smtpPort = test::freeLoopbackPort();
        QVERIFY(test::startReceiptServer(smtpA_, QStringLiteral("127.0.0.1"), smtpPort));
        QVERIFY(test::startReceiptServer(smtpB_, QStringLiteral("127.0.0.2"), smtpPort));

        bench_.env.writeFile(QStringLiteral("account.ini"), kAccountFile);
        QVERIFY(QFile::link(test::binDir() + QStringLiteral("/vxprintu"), bench_.home(QStringLiteral("vxprintu"))));
        for (const auto& [key, value] : kUserSettings)
            WriteProfileStringA(QStringLiteral("TORVEX"), QLatin1String(key), QLatin1String(value));
        WriteProfileStringA(QStringLiteral("Other"), QStringLiteral("keep"), QStringLiteral("1"));

        fax_ = test::sampleFaxTiff(bench_.home(QStringLiteral("sample.tif")), 1);
        QVERIFY(!fax_.isEmpty());

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        scheduler_.setProcessEnvironment(env);
        scheduler_.setProcessChannelMode(QProcess::ForwardedChannels);
        scheduler_.start(test::binDir() + QStringLiteral("/vxschedule"), {});
        QVERIFY(scheduler_.waitForStarted(10000));
    }

    void deliverBatch(int first)
    {
        for (int n = first; n < first + kBatch; ++n) {
            tools::InternetFax mail = test::numberedTorvex(n, fax_);
            if (hasNote(n))
                mail.attachments.push_back({QStringLiteral("note%1.txt").arg(n), QStringLiteral("text/plain"),
                                            "Please call back about " + noteToken(n).toUtf8() + "\r\n"});
            if (wantsReceipt(n))
                mail.extraHeaders = tools::receiptRequestHeaders(test::kBatchSender, n % 3 == 0);
            pop_.deliver(tools::composeInternetFax(mail));
        }
    }

    // Waits until the TORVEXes up to last are filed, Dovecot is empty and
    // no run is in progress.
    bool waitForFiled(int last, int timeoutMs = 60000)
    {
        return QTest::qWaitFor(
            [&] {
                return filedCount() >= last && pop_.messages().isEmpty()
                    && readTorvexKey(QStringLiteral("VXPrint")) != QLatin1String("running");
            },
            timeoutMs);
    }

    [[nodiscard]] int filedCount() const
    {
        return int(test::maildirMessageFiles(bench_.profile(QStringLiteral(".TORVEXes.Printed"))).size());
    }

    test::RunBench bench_;
    DovecotServer pop_;
    SmtpTestServer smtpA_;
    SmtpTestServer smtpB_;
    QProcess scheduler_;
    QByteArray fax_;
};

QTEST_MAIN(TestDayOfFaxes)
#include "tst_day_of_faxes.moc"
