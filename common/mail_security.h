#pragma once

#include "telvane_info.h"

#include <QString>

namespace torvex {

// How a mail connection is protected, as the *_Security settings name it:
// "none" (plain text, the default), "starttls" (STARTTLS / STLS when the
// server offers it), "starttls-required" (the connection ends unless it
// is encrypted before the log-on) and "tls" (TLS from the first byte, on
// ports 995 and 465).
enum class MailSecurity { None, StartTlsWhenOffered, StartTlsRequired, ImplicitTls };

// The setting's value read without regard to case or blanks; a value this
// program does not know asks for the strictest STARTTLS, so a typing error
// never sends a password in the clear.
[[nodiscard]] MailSecurity mailSecurity(const QString& value);
[[nodiscard]] QString mailSecurityValue(MailSecurity security);

// A *_Port setting: 1-65535, or 0 for the service's standard port (also
// for an empty or unreadable value).
[[nodiscard]] quint16 portSetting(const QString& value);

// What one kind of server is reached with.
struct MailServerAccess {
    MailSecurity security = MailSecurity::None;
    quint16 port = 0;   // 0: the standard port of the service and security
    QString user;       // SMTP log-on; empty: none
    QString password;
    QString trustedCertificateFile;  // trusted besides the system's CAs
};

// The TORVEX mailbox (POP3_Security, POP3_Port).
[[nodiscard]] MailServerAccess pop3Access(const TelvaneInfo& info);
// The user's own SMTP server (User_SMTP_Server) with the user's log-on.
[[nodiscard]] MailServerAccess userSmtpAccess(const TelvaneInfo& info);
// Every other SMTP server the receipts may go through (SMTP_Security, SMTP_Port).
[[nodiscard]] MailServerAccess otherSmtpAccess(const TelvaneInfo& info);

// The service's web server as VX_IP_Address names it: the address may be
// written with a scheme ("https://host:port"), which asks for https; the
// host keeps any port.
struct ServiceAddress {
    QString host;
    bool https = false;
};
[[nodiscard]] ServiceAddress serviceAddress(const QString& vxIPAddress);

}  // namespace torvex
