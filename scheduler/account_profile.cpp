#include "account_profile.h"

#include "account_escape.h"
#include "common/service_defaults.h"
#include "platform/settings/profile_api.h"

namespace torvex {

void AccountProfile::LoadAccountInfo()
{
    const QString& file = ctx_.sched.gAccountFilePath;
    const QString torvex = QString::fromLatin1(kTorvexSection);
    const auto account = [&](const char* key, const QString& defaultValue) {
        const QString name = QString::fromLatin1(key);
        const QString value = GetPrivateProfileStringA(torvex, name, defaultValue, file);
        writeTorvexKey(name, value);
        return value;
    };
    TelvaneInfo& info = ctx_.info();
    info.gVXDomainName = account("VX_domain_name", QString::fromLatin1(kServiceMailDomain));
    info.gVXIPAddress = account("VX_IP_Address", QString());
    info.VX_SMTP_Server = account("VX_SMTP_Server", QString());
    info.gLastResortSMTPServer =
        account("Last_Resort_SMTP_Server", QString::fromLatin1(kServiceSecondaryMailDomain));
    ctx_.sched.gdfltProfile = account("Default_Profile", QString());

    const QString myInfo = QStringLiteral("MYINFO");
    ctx_.sched.gLogin = GetPrivateProfileStringA(myInfo, QStringLiteral("login"), QString(), file);
    ctx_.view.setText(QStringLiteral("Label31"), QLatin1Char(' ') + ctx_.sched.gLogin + QLatin1Char('@')
                                                     + info.gVXDomainName + QLatin1Char(' '));
    struct Field {
        const char* key;
        const char* control;
        bool escaped;  // kept in the request's escaped form
    };
    static const Field fields[] = {
        {"firstname", "txtFirstName", true}, {"lastname", "txtLastName", true},
        {"company_name", "txtBankACOwner", true}, {"job_title", "txtJobTitle", true},
        {"street", "txtStreet", true},       {"town", "txtTown", true},
        {"state", "txtState", true},         {"zip", "txtZip", true},
        {"country", "txtCountry", true},     {"ccode", "txtCCode", false},
        {"area", "txtArea", false},          {"number", "txtNo", false},
    };
    for (const Field& f : fields) {
        const QString stored =
            GetPrivateProfileStringA(myInfo, QString::fromLatin1(f.key), QString(), file);
        ctx_.view.setText(QString::fromLatin1(f.control), f.escaped ? storedProfileText(stored) : stored);
    }
}

void AccountProfile::ShowUserProfile(bool flag)
{
    ctx_.view.setVisible(QStringLiteral("Frame8"), flag);
    ctx_.view.setVisible(QStringLiteral("Label31"), flag);
}

}  // namespace torvex
