#include "scheduler/account/account_profile.h"

#include "common/service_defaults.h"
#include "platform/settings/profile_api.h"
#include "scheduler/account/account_escape.h"

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
    ctx_.view.setText(Control::Label31, QLatin1Char(' ') + ctx_.sched.gLogin + QLatin1Char('@')
                                                     + info.gVXDomainName + QLatin1Char(' '));
    struct Field {
        const char* key;
        Control control;
        bool escaped;  // kept in the request's escaped form
    };
    static const Field fields[] = {
        {"firstname", Control::txtFirstName, true}, {"lastname", Control::txtLastName, true},
        {"company_name", Control::txtBankACOwner, true}, {"job_title", Control::txtJobTitle, true},
        {"street", Control::txtStreet, true},       {"town", Control::txtTown, true},
        {"state", Control::txtState, true},         {"zip", Control::txtZip, true},
        {"country", Control::txtCountry, true},     {"ccode", Control::txtCCode, false},
        {"area", Control::txtArea, false},          {"number", Control::txtNo, false},
    };
    for (const Field& f : fields) {
        const QString stored =
            GetPrivateProfileStringA(myInfo, QString::fromLatin1(f.key), QString(), file);
        ctx_.view.setText(f.control, f.escaped ? storedProfileText(stored) : stored);
    }
}

void AccountProfile::ShowUserProfile(bool flag)
{
    ctx_.view.setVisible(Control::Frame8, flag);
    ctx_.view.setVisible(Control::Label31, flag);
}

}  // namespace torvex
