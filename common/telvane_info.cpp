#include "telvane_info.h"

#include "common/array_load.h"
#include "common/service_defaults.h"
#include "platform/settings/profile_api.h"

namespace torvex {
namespace {

const QString kSection = QString::fromLatin1(kTorvexSection);

[[nodiscard]] QString read(const char* key, const QString& defaultValue = QString())
{
    return readTorvexKey(QString::fromLatin1(key), defaultValue);
}

[[nodiscard]] QString trimmed(const char* key, const QString& defaultValue = QString())
{
    return read(key, defaultValue).trimmed();
}

// Flag A: the value lower-cased is "y", without trimming ("Y" counts).
[[nodiscard]] bool flagA(const char* key)
{
    return read(key).toLower() == QLatin1String("y");
}

// Flag B: the value trimmed is exactly "y" (" y " counts, "Y" does not).
[[nodiscard]] bool flagB(const char* key)
{
    return read(key).trimmed() == QLatin1String("y");
}

// A value that does not convert leaves zero.
[[nodiscard]] qint32 integer(const char* key, const char* defaultValue)
{
    bool ok = false;
    const qint32 value = read(key, QString::fromLatin1(defaultValue)).trimmed().toInt(&ok);
    return ok ? value : 0;
}

[[nodiscard]] QString yn(bool flag)
{
    return flag ? QStringLiteral("y") : QStringLiteral("n");
}

void write(const char* key, const QString& value)
{
    writeTorvexKey(QString::fromLatin1(key), value);
}

}  // namespace

QString readTorvexKey(const QString& key, const QString& defaultValue)
{
    return GetProfileStringA(kSection, key, defaultValue);
}

void writeTorvexKey(const QString& key, const QString& value)
{
    WriteProfileStringA(kSection, key, value);
}

TelvaneInfo GetTelvaneInfo()
{
    TelvaneInfo r;
    r.Activate_Scheduler = flagA("Activate_Scheduler");
    r.Cycle_Minutes = trimmed("Cycle_Minutes", QStringLiteral("0"));
    r.Start_Time = trimmed("Start_Time", QStringLiteral("0"));
    r.Stop_Time = trimmed("Stop_Time", QStringLiteral("24"));
    r.GSTN_Fax_Minutes = read("GSTN_Fax_Minutes", QStringLiteral("5"));
    r.gWakeInterval = integer("wake_probe_seconds", "30") * 1000;
    if (r.gWakeInterval == 0)
        r.gWakeInterval = 30000;
    r.gWakeProbes = integer("wake_probes", "1");
    r.gTimoutMinutes = integer("general_timout", "1") + 1;

    r.Torvex_Name = trimmed("Torvex_Name");
    r.Torvex_Addr = trimmed("Torvex_Addr");
    r.Password = trimmed("Password");
    r.Save_Pass = trimmed("Save_Pass");
    r.Area_Code = trimmed("Area_Code");
    r.Country_Code = trimmed("Country_Code");
    r.Fax_Number = trimmed("Fax_Number");
    r.Normal_EMail_Addr = trimmed("Normal_EMail_Addr");
    r.gMemberStatus = read("Use_Defaults");
    if (r.gMemberStatus.isEmpty())
        r.gflgUseDefaults = true;
    r.gUserProfileStamp = trimmed("Profile_Last_Change");
    r.gACDateStamp = trimmed("Account_Date_Stamp");

    r.gTorvexProfile = read("Torvex_Profile", QStringLiteral("Windows Messaging Settings"));
    r.Use_Profile = flagA("Use_Profile");
    r.Get_Normal_EMail = flagB("Get_Normal_EMail");
    r.Regular_Mail_Profile = trimmed("Regular_Mail_Profile");
    r.Print_Normal_Fax = flagB("Print_Normal_Fax");
    r.Normal_Fax_Profile = trimmed("Normal_Fax_Profile");
    r.Local_Fax_Profile = read("Local_Fax_Profile");

    r.gprinterName = trimmed("Printer_Type");
    r.Print_Full_Header = flagA("Print_Full_Header");
    r.Print_Simple_Header = flagA("Print_Simple_Header");
    r.Print_Error_Info = flagA("Print_Error_Info");
    r.Print_File_Types_Count = ArrayLoad2(
        0, r.Print_File_Types,
        read("Print_File_Types", QStringLiteral("awd,pcx,dcx,jpg,jpeg,bmp,xif,xiff,tif,tiff,txt")),
        QStringLiteral(","), true);

    r.Modem_Connect = flagB("Modem_Connect");
    r.DUN_Name = trimmed("DUN_Name");
    r.Firewall = flagB("Firewall");
    r.Auto_Dis_Connect = flagB("Auto_Dis_Connect");
    r.gNICIPAddress = read("NIC_IP_Address");
    r.gPubIPAddr = trimmed("Public_IP_Addr");
    r.Quillet = flagB("Quillet");

    r.Confirm_Receipt = flagB("Confirm_Receipt");
    r.Save_MDNs = flagB("Save_MDNs");
    r.gUserSMTPServer = trimmed("User_SMTP_Server");
    r.gSMTPServer2 = trimmed("SMTP_Server2");
    r.gLastResortSMTPServer =
        trimmed("Last_Resort_SMTP_Server", QString::fromLatin1(kServiceSecondaryMailDomain));
    r.VX_SMTP_Server = read("VX_SMTP_Server", QString::fromLatin1(kServiceMailDomain));
    r.gVXIPAddress = read("VX_IP_Address");
    r.gVXDomainName = read("VX_domain_name", QString::fromLatin1(kServiceMailDomain));

    r.POP3_Security = trimmed("POP3_Security");
    r.POP3_Port = trimmed("POP3_Port");
    r.User_SMTP_Security = trimmed("User_SMTP_Security");
    r.User_SMTP_Port = trimmed("User_SMTP_Port");
    r.User_SMTP_User = trimmed("User_SMTP_User");
    r.User_SMTP_Password = trimmed("User_SMTP_Password");
    r.SMTP_Security = trimmed("SMTP_Security");
    r.SMTP_Port = trimmed("SMTP_Port");
    r.Trusted_Certificate_File = trimmed("Trusted_Certificate_File");
    r.VX_Use_HTTPS = flagB("VX_Use_HTTPS");

    r.print_exe = read("print_exe", QStringLiteral("vxprintu.exe"));
    r.gBriskoPath = read("brisko_path");
    r.path = read("path");

    ArrayLoad2(1, r.forward1, read("forward1"), QStringLiteral(","), false);
    ArrayLoad2(1, r.forward2, read("forward2"), QStringLiteral(","), false);
    return r;
}

void WriteTelvaneInfo(const AppliedSettings& s, const std::function<void()>& savePublicIPAddress)
{
    const TelvaneInfo& r = s.info;
    write("Torvex_Profile", r.gTorvexProfile);
    write("wake_probe_seconds", QString::number(r.gWakeInterval / 1000));
    write("wake_probes", QString::number(r.gWakeProbes));
    write("Print_Full_Header", yn(r.Print_Full_Header));
    write("Print_Error_Info", yn(r.Print_Error_Info));
    write("Print_Simple_Header", yn(r.Print_Simple_Header));
    write("Printer_Type", r.gprinterName);
    write("Area_Code", r.Area_Code);
    write("Country_Code", r.Country_Code);
    write("Fax_Number", r.Fax_Number);
    write("Torvex_Name", r.Torvex_Name);
    write("Torvex_Addr", r.Torvex_Addr);
    write("Activate_Scheduler", yn(r.Activate_Scheduler));
    write("Cycle_Minutes", r.Cycle_Minutes);
    write("Start_Time", r.Start_Time);
    write("Stop_Time", r.Stop_Time);
    write("GSTN_Fax_Minutes", r.GSTN_Fax_Minutes);
    write("Modem_Connect", yn(r.Modem_Connect));
    write("DUN_Name", r.DUN_Name);
    write("Get_Normal_EMail", yn(r.Get_Normal_EMail));
    write("Regular_Mail_Profile", r.Regular_Mail_Profile);
    write("Firewall", yn(r.Firewall));
    write("Always_Connect", yn(s.Always_Connect));
    write("Auto_Dis_Connect", yn(r.Auto_Dis_Connect));
    if (savePublicIPAddress)
        savePublicIPAddress();
    write("Quillet", yn(r.Quillet));
    write("Print_Page_Hdr", yn(s.Print_Page_Hdr));
    write("Print_Normal_Fax", yn(r.Print_Normal_Fax));
    write("Normal_Fax_Profile", r.Normal_Fax_Profile);
    write("Confirm_Receipt", yn(r.Confirm_Receipt));
    write("Normal_EMail_Addr", r.Normal_EMail_Addr);
    write("User_SMTP_Server", r.gUserSMTPServer);
    write("SMTP_Server2", r.gSMTPServer2);
    write("Default_SMTP_Servers", QString());
    write("forward1", s.forward1);
    write("forward2", s.forward2);
    write("POP3_Security", r.POP3_Security);
    write("POP3_Port", r.POP3_Port);
    write("User_SMTP_Security", r.User_SMTP_Security);
    write("User_SMTP_Port", r.User_SMTP_Port);
    write("User_SMTP_User", r.User_SMTP_User);
    write("User_SMTP_Password", r.User_SMTP_Password);
    write("SMTP_Security", r.SMTP_Security);
    write("SMTP_Port", r.SMTP_Port);
    write("Trusted_Certificate_File", r.Trusted_Certificate_File);
    write("VX_Use_HTTPS", yn(r.VX_Use_HTTPS));
}

}  // namespace torvex
