#include "mail_security.h"

namespace torvex {

MailSecurity mailSecurity(const QString& value)
{
    const QString v = value.trimmed().toLower();
    if (v.isEmpty() || v == QLatin1String("none"))
        return MailSecurity::None;
    if (v == QLatin1String("starttls"))
        return MailSecurity::StartTlsWhenOffered;
    if (v == QLatin1String("tls"))
        return MailSecurity::ImplicitTls;
    return MailSecurity::StartTlsRequired;
}

QString mailSecurityValue(MailSecurity security)
{
    switch (security) {
    case MailSecurity::None: return QStringLiteral("none");
    case MailSecurity::StartTlsWhenOffered: return QStringLiteral("starttls");
    case MailSecurity::StartTlsRequired: return QStringLiteral("starttls-required");
    case MailSecurity::ImplicitTls: return QStringLiteral("tls");
    }
    return QStringLiteral("none");
}

quint16 portSetting(const QString& value)
{
    bool ok = false;
    const uint port = value.trimmed().toUInt(&ok);
    return ok && port <= 65535 ? quint16(port) : quint16(0);
}

MailServerAccess pop3Access(const TelvaneInfo& info)
{
    return {mailSecurity(info.POP3_Security), portSetting(info.POP3_Port), QString(), QString(),
            info.Trusted_Certificate_File};
}

MailServerAccess userSmtpAccess(const TelvaneInfo& info)
{
    return {mailSecurity(info.User_SMTP_Security), portSetting(info.User_SMTP_Port),
            info.User_SMTP_User, info.User_SMTP_Password, info.Trusted_Certificate_File};
}

MailServerAccess otherSmtpAccess(const TelvaneInfo& info)
{
    return {mailSecurity(info.SMTP_Security), portSetting(info.SMTP_Port), QString(), QString(),
            info.Trusted_Certificate_File};
}

ServiceAddress serviceAddress(const QString& vxIPAddress)
{
    const QString address = vxIPAddress.trimmed();
    for (const auto& [scheme, https] : {std::pair{QLatin1String("https://"), true},
                                        std::pair{QLatin1String("http://"), false}}) {
        if (address.startsWith(scheme, Qt::CaseInsensitive)) {
            QString host = address.mid(scheme.size());
            while (host.endsWith(QLatin1Char('/')))
                host.chop(1);
            return {host, https};
        }
    }
    return {address, false};
}

}  // namespace torvex
