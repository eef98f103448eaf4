#include "common/mail_security.h"
#include "common/telvane_info.h"
#include "tests/support/test_env.h"

#include <QtTest>

#include <memory>

using namespace torvex;

class TestTelvaneInfo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { env_ = std::make_unique<test::TestEnv>(); }

    void absentSectionGivesDefaults()
    {
        const TelvaneInfo r = GetTelvaneInfo();
        QCOMPARE(r.gWakeInterval, 30000);
        QCOMPARE(r.gWakeProbes, 1);
        QCOMPARE(r.gTimoutMinutes, 2);
        QCOMPARE(r.Cycle_Minutes, QStringLiteral("0"));
        QCOMPARE(r.Start_Time, QStringLiteral("0"));
        QCOMPARE(r.Stop_Time, QStringLiteral("24"));
        QCOMPARE(r.GSTN_Fax_Minutes, QStringLiteral("5"));
        QCOMPARE(r.gTorvexProfile, QStringLiteral("Windows Messaging Settings"));
        QCOMPARE(r.print_exe, QStringLiteral("vxprintu.exe"));
        QVERIFY(r.gflgUseDefaults);
        QVERIFY(r.gMemberStatus.isEmpty());
        QCOMPARE(r.Print_File_Types_Count, qint16(11));
        QCOMPARE(r.Print_File_Types.first(), QStringLiteral("awd"));
        const bool anyFlag = r.Activate_Scheduler || r.Use_Profile || r.Get_Normal_EMail
            || r.Print_Normal_Fax || r.Print_Full_Header || r.Print_Simple_Header
            || r.Print_Error_Info || r.Modem_Connect || r.Firewall || r.Auto_Dis_Connect
            || r.Confirm_Receipt || r.Save_MDNs || r.Quillet;
        QVERIFY(!anyFlag);
    }

    void conversions()
    {
        env_->writeFile(env_->iniPath(),
                        "[TORVEX]\nwake_probe_seconds=45\ngeneral_timout=3\nwake_probes=2\n"
                        "Use_Defaults=3\nPrint_File_Types=tif,txt\nCycle_Minutes= 15 \n"
                        "forward1=1,,2,\nforward2=a@b.c,,0171,\n"
                        "Print_Full_Header=Y\nPrint_Simple_Header= y\nConfirm_Receipt=Y\nFirewall= y \nSave_MDNs=y\n");
        const TelvaneInfo r = GetTelvaneInfo();
        QCOMPARE(r.gWakeInterval, 45000);
        QCOMPARE(r.gTimoutMinutes, 4);
        QCOMPARE(r.gWakeProbes, 2);
        QCOMPARE(r.gMemberStatus, QStringLiteral("3"));
        QVERIFY(!r.gflgUseDefaults);
        QCOMPARE(r.Print_File_Types_Count, qint16(2));
        QCOMPARE(r.Print_File_Types[0], QStringLiteral("tif"));
        QCOMPARE(r.Cycle_Minutes, QStringLiteral("15"));
        QCOMPARE(r.forward1, (QStringList{QString(), QStringLiteral("1"), QString(), QStringLiteral("2")}));
        QCOMPARE(r.forward2, (QStringList{QString(), QStringLiteral("a@b.c"), QString(), QStringLiteral("0171")}));
        QVERIFY(r.Print_Full_Header);     // flag A: case ignored
        QVERIFY(!r.Print_Simple_Header);  // flag A: not trimmed
        QVERIFY(!r.Confirm_Receipt);      // flag B: case counts
        QVERIFY(r.Firewall);              // flag B: trimmed
        QVERIFY(r.Save_MDNs);
    }

    void numbersThatDoNotConvertLeaveZero()
    {
        env_->writeFile(env_->iniPath(), "[TORVEX]\nwake_probes=many\ngeneral_timout=x\nwake_probe_seconds=soon\n");
        const TelvaneInfo r = GetTelvaneInfo();
        QCOMPARE(r.gWakeProbes, 0);
        QCOMPARE(r.gTimoutMinutes, 1);
        QCOMPARE(r.gWakeInterval, 30000);
        // Zero wake seconds become the default too.
        env_->writeFile(env_->iniPath(), "[TORVEX]\nwake_probe_seconds=0\n");
        QCOMPARE(GetTelvaneInfo().gWakeInterval, 30000);
    }

    // Every key in its order, and the values written converted (what Apply
    // writes from the window's fields is the settings window's test).
    void writeStoresEveryKeyInItsOrder()
    {
        AppliedSettings s;
        s.info.gTorvexProfile = QStringLiteral("TORVEX");
        s.info.gWakeInterval = 40000;
        s.info.gWakeProbes = 3;
        s.info.Print_Simple_Header = true;
        s.info.Cycle_Minutes = QStringLiteral("15");
        s.info.User_SMTP_Security = QStringLiteral("starttls-required");
        s.info.User_SMTP_Port = QStringLiteral("587");
        s.info.User_SMTP_Password = QStringLiteral("pa ss");
        s.info.VX_Use_HTTPS = true;
        WriteTelvaneInfo(s, [] { writeTorvexKey(QStringLiteral("Public_IP_Addr"), QStringLiteral("10.0.0.1")); });

        const QList<QByteArray> lines = env_->readFile(env_->iniPath()).split('\n');
        QStringList keys;
        for (const QByteArray& line : lines)
            if (line.contains('='))
                keys << QString::fromUtf8(line.left(line.indexOf('=')));
        const QStringList expected = QStringLiteral(
            "Torvex_Profile wake_probe_seconds wake_probes Print_Full_Header Print_Error_Info "
            "Print_Simple_Header Printer_Type Area_Code Country_Code Fax_Number Torvex_Name "
            "Torvex_Addr Activate_Scheduler Cycle_Minutes Start_Time Stop_Time GSTN_Fax_Minutes "
            "Modem_Connect DUN_Name Get_Normal_EMail Regular_Mail_Profile Firewall Always_Connect "
            "Auto_Dis_Connect Public_IP_Addr Quillet Print_Page_Hdr Print_Normal_Fax Normal_Fax_Profile "
            "Confirm_Receipt Normal_EMail_Addr User_SMTP_Server SMTP_Server2 Default_SMTP_Servers "
            "forward1 forward2 POP3_Security POP3_Port User_SMTP_Security User_SMTP_Port "
            "User_SMTP_User User_SMTP_Password SMTP_Security SMTP_Port Trusted_Certificate_File "
            "VX_Use_HTTPS").split(QLatin1Char(' '));
        QCOMPARE(keys, expected);
        QCOMPARE(readTorvexKey(QStringLiteral("wake_probe_seconds")), QStringLiteral("40"));
        QCOMPARE(readTorvexKey(QStringLiteral("Print_Simple_Header")), QStringLiteral("y"));
        QCOMPARE(readTorvexKey(QStringLiteral("Print_Full_Header")), QStringLiteral("n"));
        QCOMPARE(readTorvexKey(QStringLiteral("wake_probes")), QStringLiteral("3"));
        QCOMPARE(readTorvexKey(QStringLiteral("POP3_Security"), QStringLiteral("absent")), QString());
    }

    // The secure-transport keys as the mail clients take them: an absent
    // key keeps today's plain connection on the standard port.
    void mailSecurity_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("security");
        QTest::newRow("absent") << QString() << int(MailSecurity::None);
        QTest::newRow("none") << QStringLiteral("none") << int(MailSecurity::None);
        QTest::newRow("starttls") << QStringLiteral(" StartTLS ") << int(MailSecurity::StartTlsWhenOffered);
        QTest::newRow("required") << QStringLiteral("starttls-required") << int(MailSecurity::StartTlsRequired);
        QTest::newRow("tls") << QStringLiteral("TLS") << int(MailSecurity::ImplicitTls);
        // A value nobody knows never falls back to plain text.
        QTest::newRow("typo") << QStringLiteral("startls") << int(MailSecurity::StartTlsRequired);
    }
    void mailSecurity()
    {
        QFETCH(QString, value);
        QFETCH(int, security);
        QCOMPARE(int(torvex::mailSecurity(value)), security);
        if (!value.trimmed().isEmpty() && value != QLatin1String("startls"))
            QCOMPARE(mailSecurityValue(torvex::mailSecurity(value)), value.trimmed().toLower());
    }

    void portsAndServiceAddress()
    {
        QCOMPARE(portSetting(QStringLiteral(" 587 ")), quint16(587));
        QCOMPARE(portSetting(QString()), quint16(0));
        QCOMPARE(portSetting(QStringLiteral("70000")), quint16(0));
        QCOMPARE(portSetting(QStringLiteral("x")), quint16(0));
        const ServiceAddress secure = serviceAddress(QStringLiteral(" HTTPS://127.0.0.1:8443/ "));
        QCOMPARE(std::pair(secure.host, secure.https), std::pair(QStringLiteral("127.0.0.1:8443"), true));
        const ServiceAddress plain = serviceAddress(QStringLiteral("10.0.0.5"));
        QCOMPARE(std::pair(plain.host, plain.https), std::pair(QStringLiteral("10.0.0.5"), false));
    }

private:
    std::unique_ptr<test::TestEnv> env_;
};

QTEST_GUILESS_MAIN(TestTelvaneInfo)
#include "tst_telvane_info.moc"
