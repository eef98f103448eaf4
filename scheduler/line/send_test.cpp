#include "scheduler/line/send_test.h"

#include "common/telvane_info.h"
#include "platform/desktop/message_box.h"
#include "scheduler/core/program_title.h"
#include "scheduler/core/scheduler_state.h"
#include "scheduler/core/scheduler_view.h"
#include "scheduler/core/status_bar.h"
#include "scheduler/launch/print_launcher.h"
#include "scheduler/schedule/schedule_engine.h"
#include "scheduler/settings/settings_apply.h"

namespace torvex {

void SendTest::Command5_Click()
{
    if (!settings_.applyBeforeRun(Control::Command5))
        return;
    const BusyScope hourglass(view_);
    view_.setChecked(Control::Check14, false);
    status_.showNow(QStringLiteral("  "),
                    QStringLiteral("Sending Test TORVEX to ") + state_.info.Torvex_Addr.toUpper());
    launcher_.shellIt(QStringLiteral("2"));

    const TelvaneInfo& info = state_.info;
    QString server = readTorvexKey(QStringLiteral("test_server"));
    // The service's own address reads better as its mail domain. (Only a
    // real server: an empty service address must not turn a failed test
    // into one sent to the domain.)
    if (!server.isEmpty() && server == info.gVXIPAddress)
        server = info.gVXDomainName.toUpper();
    QString text = QStringLiteral("Your test message ");
    if (!server.isEmpty()) {
        text += QStringLiteral("was sent to the server ") + server.toUpper() + QStringLiteral(".\r\n");
        text += server.contains(QLatin1String("torvex"), Qt::CaseInsensitive) && server != info.gVXIPAddress
                    ? QStringLiteral("In a few minutes click 'Get TORVEXes NOW' to print it'.")
                    : QStringLiteral("It may not be immediately available.");
        boxes_.show(text, programTitle(), MsgButtons::Ok, MsgIcon::None);
    } else {
        const bool refused = state_.lastError == QLatin1String("2");
        text += QStringLiteral("could not be sent.\r\n");
        text += refused ? QStringLiteral("No such TORVEX Address!")
                        : QStringLiteral("Please check the entries in the 'EMail' tab and re-try.");
        boxes_.show(text, programTitle(), MsgButtons::Ok, MsgIcon::None);
        view_.switchFrame(refused ? 1 : 2);
    }
    schedule_.ResetStatusBar();
}

}  // namespace torvex
