#include "scheduler/account/member_status.h"

#include "scheduler/account/account_protocol.h"
#include "scheduler/core/system_date.h"

namespace torvex {
namespace {

const QString kBaseStatus = QStringLiteral("1");

}  // namespace

QString memberStatusFromGroups(const QString& groups)
{
    const auto has = [&](const char* group) {
        return groups.contains(QLatin1String(group), Qt::CaseInsensitive);
    };
    if (has("Brisko"))
        return has("Relay") ? QStringLiteral("5") : QStringLiteral("4");
    if (has("Relay"))
        return QStringLiteral("3");
    if (has("Members"))
        return QStringLiteral("2");
    return kBaseStatus;
}

QString memberTitle(const QString& status)
{
    if (status.isEmpty() || status == QLatin1String("-"))
        return {};
    if (status == QLatin1String("5"))
        return QStringLiteral(" Brisko+Relay ");
    if (status == QLatin1String("4"))
        return QStringLiteral(" Brisko ");
    if (status == QLatin1String("3"))
        return QStringLiteral(" Relay ");
    if (status == QLatin1String("2"))
        return QStringLiteral(" Member ");
    return QStringLiteral(" Basic ");
}

bool MemberStatus::CheckMemberStatus()
{
    QString& status = ctx_.info().gMemberStatus;
    const QString before = status;
    if (!protocol_.getUserInfo(ctx_.sched.gLogin)) {
        if (status.isEmpty())
            status = kBaseStatus;
        return false;
    }
    status = memberStatusFromGroups(protocol_.getUserItem(QStringLiteral("Groups")));
    ctx_.info().gUserProfileStamp = formatSystemDate(ctx_.today());
    writeTorvexKey(QStringLiteral("Profile_Last_Change"), ctx_.info().gUserProfileStamp);
    writeTorvexKey(QStringLiteral("Use_Defaults"), status);
    return status != before;
}

void MemberStatus::ResetGroupFunctions()
{
    const QString& status = ctx_.info().gMemberStatus;
    Enableheaders(true);
    // Text comparisons of the one-character status, as every feature test does.
    EnableForwardingInfo(status > QLatin1String("1"));
    EnableRelayingInfo(status == QLatin1String("3") || status == QLatin1String("5"));
    ctx_.view.setText(Control::Label50, getMemberTitle());
}

QString MemberStatus::getMemberTitle() const
{
    return memberTitle(ctx_.info().gMemberStatus);
}

void MemberStatus::enable(std::initializer_list<Control> controls, bool flg)
{
    for (const Control control : controls)
        ctx_.view.setEnabled(control, flg);
}

void MemberStatus::Enableheaders(bool flg)
{
    enable({Control::Check6, Control::Check10, Control::Check11}, flg);
}

void MemberStatus::EnableForwardingInfo(bool flg)
{
    enable({Control::Check16, Control::Check17, Control::Check18, Control::Option3, Control::Option4,
            Control::Option5, Control::Option6, Control::Option7, Control::Option8, Control::Text23,
            Control::Text24, Control::Text25, Control::Text26, Control::Text27, Control::Text28},
           flg);
}

void MemberStatus::EnableRelayingInfo(bool flg)
{
    enable({Control::Check15, Control::Option9}, flg);
}

}  // namespace torvex
