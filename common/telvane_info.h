#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace torvex {

// The settings record: one field per key of the [TORVEX] section, filled once
// per process by GetTelvaneInfo. Fields keep the names the programs use for
// them; flags are booleans, lists are split.
struct TelvaneInfo {
    // Schedule and wake-up
    bool Activate_Scheduler = false;
    QString Cycle_Minutes;
    QString Start_Time;
    QString Stop_Time;
    QString GSTN_Fax_Minutes;
    qint32 gWakeInterval = 0;  // milliseconds
    qint32 gWakeProbes = 0;
    qint32 gTimoutMinutes = 0;

    // Account and identity
    QString Torvex_Name;
    QString Torvex_Addr;
    QString Password;
    QString Save_Pass;
    QString Area_Code;
    QString Country_Code;
    QString Fax_Number;
    QString Normal_EMail_Addr;
    QString gMemberStatus;         // Use_Defaults
    bool gflgUseDefaults = false;  // Use_Defaults was empty: a first start
    QString gUserProfileStamp;     // Profile_Last_Change
    QString gACDateStamp;          // Account_Date_Stamp

    // Mail stores
    QString gTorvexProfile;
    bool Use_Profile = false;
    bool Get_Normal_EMail = false;
    QString Regular_Mail_Profile;
    bool Print_Normal_Fax = false;
    QString Normal_Fax_Profile;
    QString Local_Fax_Profile;

    // Printing
    QString gprinterName;  // Printer_Type
    bool Print_Full_Header = false;
    bool Print_Simple_Header = false;
    bool Print_Error_Info = false;
    QStringList Print_File_Types;  // 0-based, Print_File_Types_Count entries used
    qint16 Print_File_Types_Count = 0;

    // Connection
    bool Modem_Connect = false;
    QString DUN_Name;
    bool Firewall = false;
    bool Auto_Dis_Connect = false;
    QString gNICIPAddress;
    QString gPubIPAddr;
    bool Quillet = false;

    // SMTP, receipts and the service's servers
    bool Confirm_Receipt = false;
    bool Save_MDNs = false;
    QString gUserSMTPServer;
    QString gSMTPServer2;
    QString gLastResortSMTPServer;
    QString VX_SMTP_Server;
    QString gVXIPAddress;
    QString gVXDomainName;

    // Secure transport: per kind of server the security ("none",
    // "starttls", "starttls-required", "tls") and the port (empty: the
    // standard one); the user's own SMTP server may need a log-on.
    QString POP3_Security;
    QString POP3_Port;
    QString User_SMTP_Security;
    QString User_SMTP_Port;
    QString User_SMTP_User;
    QString User_SMTP_Password;  // kept like Password
    QString SMTP_Security;       // every other SMTP server
    QString SMTP_Port;
    QString Trusted_Certificate_File;  // one more certificate or CA to trust
    bool VX_Use_HTTPS = false;         // the service's web server by https

    // Program location
    QString print_exe;
    QString gBriskoPath;
    QString path;

    // Forwarding rows 1-3 (index 0 unused)
    QStringList forward1{QString(), QString(), QString(), QString()};
    QStringList forward2{QString(), QString(), QString(), QString()};
};

// Reads one key of [TORVEX] as every reader does: at most 254 characters,
// the key's default when it is missing.
[[nodiscard]] QString readTorvexKey(const QString& key, const QString& defaultValue = QString());
void writeTorvexKey(const QString& key, const QString& value);

// Reads the whole section into a fresh record.
[[nodiscard]] TelvaneInfo GetTelvaneInfo();

// What "Apply Settings" stores: the record's fields plus the values only the
// settings window holds.
struct AppliedSettings {
    TelvaneInfo info;
    bool Always_Connect = false;
    bool Print_Page_Hdr = false;
    QString forward1;  // comma-separated, as built by the settings window
    QString forward2;
};

// Writes the settings in their fixed order; savePublicIPAddress runs between
// Auto_Dis_Connect and Quillet, where it writes Public_IP_Addr.
void WriteTelvaneInfo(const AppliedSettings& settings,
                      const std::function<void()>& savePublicIPAddress);

}  // namespace torvex
