#include "scheduler/account/account_protocol.h"

#include "scheduler/account/account_escape.h"
#include "scheduler/account/account_reply.h"
#include "scheduler/account/http_client.h"
#include "scheduler/account/ip_lookup.h"
#include "scheduler/core/program_title.h"
#include "scheduler/core/system_date.h"

#include "common/char_tests.h"
#include "common/mail_security.h"
#include "common/service_defaults.h"
#include "platform/settings/profile_api.h"

#include <QCoreApplication>

#include <vector>

namespace torvex {
namespace {

// The line break in the texts of the account's boxes.
const QString kBoxLineBreak = QStringLiteral("\r\n");

// The caption a box gets when none is given: the program's own name.
[[nodiscard]] QString defaultCaption()
{
    return QCoreApplication::applicationName();
}

[[nodiscard]] bool contains(const QString& text, const char* what)
{
    return text.contains(QLatin1String(what), Qt::CaseInsensitive);
}

// One query parameter; the password's two go through the mask when the
// request is kept for support.
struct Param {
    QString key;
    QString value;
    bool isPassword = false;
};

[[nodiscard]] QString joinParams(const std::vector<Param>& params, bool masked)
{
    QString out;
    for (const Param& p : params)
        out += QLatin1Char('&') + p.key + QLatin1Char('=')
            + (masked && p.isPassword ? QString::fromLatin1(kPasswordMask) : p.value);
    return out;
}

}  // namespace

void AccountProtocol::showReply(const QString& text, const QString& caption) const
{
    ctx_.boxes.show(text, caption, MsgButtons::Ok, MsgIcon::None);
}

bool AccountProtocol::usesHttps() const
{
    return ctx_.info().VX_Use_HTTPS || serviceAddress(ctx_.info().gVXIPAddress).https;
}

QString AccountProtocol::webServer() const
{
    const QString host = serviceAddress(ctx_.info().gVXIPAddress).host;
    return host.isEmpty() && usesHttps() ? ctx_.info().gVXDomainName : host;
}

void AccountProtocol::ensureServerAddress()
{
    if (!ctx_.info().gVXIPAddress.isEmpty() || usesHttps())
        return;
    // The look-up is about the server; the PC's address chosen for the
    // report must survive it, or a different one would be saved as sent.
    const QString local = ctx_.sched.gLocalIPAddr;
    ctx_.info().gVXIPAddress = GetIPAddressfromDomain(lookup_, ctx_.info().gVXDomainName);
    ctx_.sched.gLocalIPAddr = local;
}

HttpCredentials AccountProtocol::credentials() const
{
    return {ctx_.sched.gLogin, ctx_.info().Password};
}

void AccountProtocol::SaveAccountInfo(int flag, bool flgHTTPMessageBox)
{
    AccountState& st = ctx_.state;
    SchedulerView& view = ctx_.view;
    const QString& account = ctx_.sched.gAccountFilePath;
    const bool required = flag == 1 || flag == 2;
    QString missing;

    if (ctx_.sched.gLogin.isEmpty())
        missing = QStringLiteral("Login");
    if (ctx_.sched.gDomain.compare(ctx_.info().gVXDomainName, Qt::CaseInsensitive) != 0)
        return;
    if (!IsAllDigits(ctx_.sched.gLogin)) {
        ctx_.boxes.beep();
        ctx_.boxes.show(QStringLiteral("The ") + ctx_.info().gVXDomainName.toUpper()
                            + QStringLiteral(" Server requires a Global Fax Number as the User Name"),
                        defaultCaption(), MsgButtons::Ok, MsgIcon::None);
        view.setEnabled(Control::Command6, false);
        return;
    }

    std::vector<Param> params;
    params.push_back({QStringLiteral("login"), ctx_.sched.gLogin});
    WritePrivateProfileStringA(QStringLiteral("MYINFO"), QStringLiteral("login"), ctx_.sched.gLogin, account);

    const auto requireField = [&](Control control, const char* label, int tab) {
        if (!required || !missing.isEmpty())
            return;
        missing = QString::fromLatin1(label);
        ctx_.showField(tab, control);
    };
    const auto writeInfo = [&](const char* key, const QString& value) {
        WritePrivateProfileStringA(QStringLiteral("MYINFO"), QString::fromLatin1(key), value, account);
    };
    // A profile field: escaped, sent and kept in [MYINFO].
    const auto profileField = [&](Control control, const char* key, const char* label) {
        const QString text = view.text(control);
        if (label && text.isEmpty())
            requireField(control, label, 6);
        const QString value = requestValue(text);
        params.push_back({QString::fromLatin1(key), value});
        writeInfo(key, value);
    };

    profileField(Control::txtFirstName, "firstname", "First Name");
    profileField(Control::txtLastName, "lastname", "Last Name");
    const QString& password = ctx_.info().Password;
    if (password.isEmpty())
        requireField(Control::Text13, "Password", 1);
    params.push_back({QStringLiteral("password1"), passwordValue(password), true});
    params.push_back({QStringLiteral("password2"), passwordValue(password), true});
    profileField(Control::txtStreet, "street", "Street Address");
    profileField(Control::txtTown, "town", "Town");
    const QString state = view.text(Control::txtState);
    const QString zip = view.text(Control::txtZip);
    writeInfo("state", requestValue(state));
    writeInfo("zip", requestValue(zip));
    params.push_back({QStringLiteral("zip"), requestValue(state + QLatin1Char(' ') + zip)});
    profileField(Control::txtCountry, "country", "Country");
    const QString ccode = view.text(Control::txtCCode);
    const QString area = view.text(Control::txtArea);
    const QString number = view.text(Control::txtNo);
    writeInfo("ccode", ccode);
    writeInfo("area", area);
    if (!ccode.isEmpty() && !area.isEmpty() && !number.isEmpty())
        params.push_back({QStringLiteral("phone"),
                          QLatin1Char('+') + ccode + QLatin1Char('-') + area + QLatin1Char('-')
                              + requestValue(number)});
    writeInfo("number", number);

    if (missing == QLatin1String("Login")) {
        ctx_.boxes.beep();
        ctx_.boxes.show(QStringLiteral("Your TORVEX Address must be set to use the ")
                            + ctx_.info().gVXDomainName + QStringLiteral(" server."),
                        programTitle(), MsgButtons::Ok, MsgIcon::None);
        ctx_.showField(1, Control::txtVXAddress);
    }
    if (!missing.isEmpty()) {
        ctx_.boxes.beep();
        ctx_.boxes.show(QStringLiteral("Missing ") + missing + QStringLiteral(", please retry!"),
                        programTitle(), MsgButtons::Ok, MsgIcon::None);
        return;
    }

    QString action;
    HttpCredentials sent;
    QString maskedCredentials;
    if (flag == 1) {
        action = QStringLiteral("adduser");
    } else if (flag == 2) {
        action = QStringLiteral("changeuser");
        sent = credentials();
        maskedCredentials = ctx_.sched.gLogin + QLatin1Char(':') + QString::fromLatin1(kPasswordMask) + QLatin1Char('@');
    }

    if (ctx_.info().gMemberStatus > QLatin1String("3")) {
        if (view.isChecked(Control::Option1))
            st.gPublicIPAddr = view.text(Control::Text8);
        else if (view.isChecked(Control::Option2))
            st.gPublicIPAddr = view.text(Control::Text21);
    } else {
        st.gPublicIPAddr.clear();
    }

    params.push_back({QStringLiteral("fax"), requestValue(st.gPublicIPAddr)});
    params.push_back({QStringLiteral("email"), requestValue(view.text(Control::Text6))});
    params.push_back({QStringLiteral("credit_nr"), QStringLiteral("00000000000000000001")});
    params.push_back({QStringLiteral("credit_exp"), QStringLiteral("%20")});
    const QString company = requestValue(view.text(Control::txtBankACOwner));
    params.push_back({QStringLiteral("bank_name"), company});
    params.push_back({QStringLiteral("bank_code"), QStringLiteral("%20")});
    params.push_back({QStringLiteral("bank_account"), QStringLiteral("%20")});
    writeInfo("company_name", company);
    const QString jobTitle = requestValue(view.text(Control::txtJobTitle));
    writeInfo("job_title", jobTitle);
    params.push_back({QStringLiteral("bank_owner"), jobTitle});

    ensureServerAddress();
    const QString target = webServer() + QStringLiteral("/bbs?action=") + action;
    st.gURL = QStringLiteral("//") + target + joinParams(params, false);
    HTTPEnquiry(flgHTTPMessageBox, st.gURL, sent);

    if (!st.gHTTPOK) {
        // The address did not reach the service: the next report must not
        // take it for the one already sent.
        st.gPublicIPAddr.clear();
        // Kept for support to read; the password never goes into the file.
        WritePrivateProfileStringA(QStringLiteral("HTTP"), QStringLiteral("Request"),
                                   QStringLiteral("//") + maskedCredentials + target
                                       + joinParams(params, true),
                                   account);
        WritePrivateProfileStringA(QStringLiteral("HTTP"), QStringLiteral("Response"),
                                   reply_.gResponse, account);
    }
}

void AccountProtocol::HTTPEnquiry(bool flg, const QString& aURI, const HttpCredentials& credentials)
{
    SchedulerView& view = ctx_.view;
    StatusBar& status = ctx_.status;
    const QString savedStatus = status.text();
    status.showNow(QStringLiteral(" Contacting "), ctx_.info().gVXDomainName.toUpper());

    // Only a reply that accepts the request sets the flag again, so a
    // failure after an earlier success is never taken for a success.
    ctx_.state.gHTTPOK = false;
    http_.setHttps(usesHttps(), ctx_.info().Trusted_Certificate_File);
    reply_ = http_.GetURL(aURI, credentials);

    if (reply_.gHTTPError != 0) {
        const QString text = GetInetErrorMessage(reply_.gHTTPError);
        status.showNow(QStringLiteral(" "), text);
        if (flg)
            showReply(QStringLiteral("Error ") + QString::number(reply_.gHTTPError) + kBoxLineBreak + text,
                      programTitle());
        return;
    }

    const QString& response = reply_.gResponse;
    qsizetype pos = 0;
    const QString replyTitle = GetTag(QStringLiteral("title"), 1, response, pos);
    const QString replyHdr = GetTag(QStringLiteral("h1"), 1, response, pos);
    QString replyBody = GetReply2(QStringLiteral("p"), pos, response, pos);

    if (replyTitle.isEmpty() && replyHdr.isEmpty() && replyBody.isEmpty()) {
        const QString text = QStringLiteral("The server could not be contacted or it may have "
                                            "returned an invalid or unrecognised response!");
        // The status bar must not stay on "Contacting": it says what happened.
        status.showNow(QStringLiteral(" "), text);
        showReply(text, programTitle());
        reply_.gHTTPError = -1;
        return;
    }

    const QString today = formatSystemDate(ctx_.today());
    const QString twoLines = kBoxLineBreak + kBoxLineBreak;
    if (contains(replyTitle, "HTTP")) {
        if (flg)
            showReply(replyTitle + twoLines + replyHdr + twoLines + replyBody, programTitle());
    } else if (contains(replyTitle, "showdb_ok")) {
        ctx_.state.gHTTPOK = true;
    } else if (contains(replyTitle, "adduser_ok")) {
        ctx_.state.gHTTPOK = true;
        if (flg)
            showReply(replyHdr + kBoxLineBreak + replyBody, defaultCaption());
        view.setEnabled(Control::Command5, true);
        view.setText(Control::Command6, QStringLiteral("Update Profile"));
        view.setEnabled(Control::txtFirstName, false);
        view.setEnabled(Control::txtLastName, false);
        writeTorvexKey(QStringLiteral("Account_Date_Stamp"), today);
        writeTorvexKey(QStringLiteral("Profile_Last_Change"), today);
        ctx_.info().gACDateStamp = today;
        ctx_.info().gUserProfileStamp = today;
        if (ctx_.accountRegistered)
            ctx_.accountRegistered();
    } else if (contains(replyTitle, "adduser_fail")) {
        QString advice;
        if (contains(replyBody, "already used")) {
            replyBody = QStringLiteral("An account already exists for the global fax number -") + kBoxLineBreak
                + ctx_.sched.gLogin;
            advice = QStringLiteral("If you believe this is a mistake please immediately advise ")
                + kBoxLineBreak + QString::fromLatin1(kServiceSupportAddress) + QLatin1Char('.');
        }
        if (contains(replyBody, "namesake")) {
            replyBody = QStringLiteral("You have a namesake!") + kBoxLineBreak
                + QStringLiteral("An account already in your name.") + kBoxLineBreak;
            advice = QStringLiteral(
                "Please add/change a Middle Initial or nickname to the 'First Name' entry and re-try.");
        }
        if (flg)
            showReply(replyHdr + twoLines + replyBody + twoLines + advice, programTitle());
    } else if (contains(replyTitle, "changeuser_ok")) {
        ctx_.state.gHTTPOK = true;
        if (flg)
            showReply(QStringLiteral("Your TORVEX User Profile has been successfully changed on the "
                                     "TORVEX Server!"),
                      programTitle());
        writeTorvexKey(QStringLiteral("Profile_Last_Change"), today);
        ctx_.info().gUserProfileStamp = today;
    } else if (contains(replyTitle, "changeuser_fail")) {
        const QString center = GetReply2(QStringLiteral("center"), pos, response, pos);
        const QString secondHdr = GetTag(QStringLiteral("h1"), pos, response, pos);
        if (flg)
            showReply(replyHdr + twoLines + center + twoLines + secondHdr, programTitle());
    } else if (replyTitle == QLatin1String("OK")) {
        ctx_.state.gHTTPOK = true;
    } else if (flg) {
        showReply(replyHdr + twoLines + replyBody, programTitle());
    }
    status.setText(savedStatus);
}

bool AccountProtocol::getUserInfo(const QString& Login)
{
    ensureServerAddress();
    ctx_.state.gURL = QStringLiteral("//") + webServer()
        + QStringLiteral("/bbs?action=showdb&what=users&name=") + Login;
    HTTPEnquiry(false, ctx_.state.gURL, credentials());
    if (reply_.gHTTPError == -1) {
        ctx_.boxes.show(QStringLiteral("The server is unavailable!") + kBoxLineBreak
                            + QStringLiteral("Please try again later."),
                        programTitle(), MsgButtons::Ok, MsgIcon::None);
        return false;
    }
    if (ctx_.state.gHTTPOK)
        return true;
    ctx_.boxes.show(QStringLiteral("Access denied!") + kBoxLineBreak
                        + QStringLiteral("Please check your password and retry!"),
                    programTitle(), MsgButtons::Ok, MsgIcon::None);
    return false;
}

QString AccountProtocol::getUserItem(const QString& item) const
{
    const qsizetype at = reply_.gResponse.indexOf(item, 0, Qt::CaseInsensitive);
    if (at < 0)
        return {};
    qsizetype end = 0;
    // at is 0-based; the cell search starts one past the item's first character.
    return GetTag(QStringLiteral("td"), at + 2, reply_.gResponse, end);
}

}  // namespace torvex
