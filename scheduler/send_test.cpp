#include "send_test.h"

#include "common/telvane_info.h"
#include "connection_choice.h"
#include "main_form.h"
#include "platform/desktop/message_box.h"
#include "print_launcher.h"
#include "schedule_engine.h"
#include "settings_apply.h"
#include "wait_cursor.h"

#include <QCheckBox>
#include <QPushButton>

namespace torvex {

void Command5_Click(MainForm& form)
{
    FormControls& c = form.controls();
    SchedulerState& s = form.state();
    if (!IsConnection(form))
        return;
    c.Command5->setEnabled(false);
    form.settings().Command1_Click();
    if (!s.settingsApplied) {
        c.Command5->setEnabled(true);
        return;
    }
    const WaitCursor hourglass;
    c.Check14->setChecked(false);
    form.setStatusText(form.schedule().myDateTime() + QStringLiteral("  Sending Test TORVEX to ")
                       + s.info.Torvex_Addr.toUpper());
    form.launcher().shellIt(QStringLiteral("2"));

    QString server = readTorvexKey(QStringLiteral("test_server"));
    // The service's own address reads better as its mail domain. (Only a
    // real server: an empty service address must not turn a failed test
    // into one sent to the domain.)
    if (!server.isEmpty() && server == s.info.gVXIPAddress)
        server = s.info.gVXDomainName.toUpper();
    QString text = QStringLiteral("Your test message ");
    if (!server.isEmpty()) {
        text += QStringLiteral("was sent to the server ") + server.toUpper() + QStringLiteral(".\r\n");
        text += server.contains(QLatin1String("torvex"), Qt::CaseInsensitive)
                && server != s.info.gVXIPAddress
            ? QStringLiteral("In a few minutes click 'Get TORVEXes NOW' to print it'.")
            : QStringLiteral("It may not be immediately available.");
        form.boxes().show(text, MainForm::title(), MsgButtons::Ok, MsgIcon::None);
    } else {
        const bool refused = s.lastError == QLatin1String("2");
        text += QStringLiteral("could not be sent.\r\n");
        text += refused ? QStringLiteral("No such TORVEX Address!")
                        : QStringLiteral("Please check the entries in the 'EMail' tab and re-try.");
        form.boxes().show(text, MainForm::title(), MsgButtons::Ok, MsgIcon::None);
        form.switchFrame(refused ? 1 : 2);
    }
    form.schedule().ResetStatusBar();
}

}  // namespace torvex
