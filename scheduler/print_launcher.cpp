#include "print_launcher.h"

#include "clock.h"
#include "common/file_exists.h"
#include "common/telvane_info.h"
#include "connection_choice.h"
#include "main_form.h"
#include "platform/desktop/message_box.h"
#include "platform/desktop/time_scale.h"
#include "schedule_engine.h"
#include "settings_apply.h"
#include "system_date.h"
#include "wait_cursor.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace torvex {

namespace {

// The utility in a folder, by its configured name or that name without
// ".exe"; empty when neither is there.
QString existingUtility(const QString& folder, const QString& printExe)
{
    const QString path = folder + QLatin1Char('/') + printExe;
    if (QFileInfo::exists(path))
        return path;
    if (printExe.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive) && QFileInfo::exists(path.chopped(4)))
        return path.chopped(4);
    return {};
}

}  // namespace

QString printUtilityPath(const QString& appPath, const QString& printExe)
{
    QString path = existingUtility(appPath, printExe);
    // Installed, the programs are in bin/ and the program folder is the
    // user's data folder.
    if (path.isEmpty())
        path = existingUtility(QCoreApplication::applicationDirPath(), printExe);
    return path.isEmpty() ? appPath + QLatin1Char('/') + printExe : path;
}

void PrintLauncher::shellIt(const QString& flg)
{
    SchedulerState& s = form_.state();
    FormControls& c = form_.controls();
    if (s.flgLoading)
        return;
    running_ = true;
    c.Command4->setEnabled(false);
    c.Command5->setEnabled(false);

    if (flg != QLatin1String("6") && flg != QLatin1String("1")) {
        if (c.Option1->isChecked()) {
            if (!form_.dialUp().IsDialUpConnected()) {
                form_.alert(QStringLiteral("Please try again when connected!"));
                finish(flg);
                return;
            }
            c.Check12->setChecked(true);
        }
        if (!s.info.gUserProfileStamp.isEmpty()) {
            if (moreDaysThan(s.info.gUserProfileStamp, form_.clock().now().date(), 30)
                && form_.account().CheckMemberStatus())
                form_.account().ResetGroupFunctions();
            form_.account().UpdatedbLocalIPAddress();
        }
    }

    qint32 error = 0;
    if (!FileExists(s.gShellPath, error)) {
        form_.boxes().show(QStringLiteral("Set Up Error !\r\nMissing TORVEX Print Utility."),
                           MainForm::title(), MsgButtons::Ok, MsgIcon::None);
        finish(flg);
        return;
    }

    if (!QProcess::startDetached(s.gShellPath, {QLatin1Char('/') + flg}, s.gAppPath)) {
        form_.alert(QStringLiteral("Unable to locate the TORVEX Print Executable!\r\nPlease install "
                                   "VXPRINT.EXE and re-try."));
        running_ = false;
        return;
    }

    // A general_timout below 0 counts as 0: the wait stays bounded.
    int steps = std::max(s.info.gTimoutMinutes, 1) * 6;
    while (--steps > 0) {
        waitOneStep();
        if (readTorvexKey(QStringLiteral("VXPrint")) == QLatin1String("quit"))
            break;
        const QString status = readTorvexKey(QStringLiteral("print_status"));
        if (!status.isEmpty())
            form_.setStatusText(form_.schedule().myDateTime() + QStringLiteral("  ") + status);
    }
    finish(flg);
}

void PrintLauncher::waitOneStep()
{
    QTimer* timer = form_.controls().Timer2;
    timer->setInterval(scaledMs(10000));
    timer->start();
    while (timer->isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void PrintLauncher::finish(const QString& flg)
{
    FormControls& c = form_.controls();
    SchedulerState& s = form_.state();
    writeTorvexKey(QStringLiteral("VXPrint"), QString());
    if (flg == QLatin1String("0") && c.Check14->isChecked() && form_.dialUp().connected())
        form_.dialUp().DisConnectDialUp();
    s.lastError = readTorvexKey(QStringLiteral("last_error"));
    if (flg != QLatin1String("2")) {
        if (!s.lastError.isEmpty()) {
            c.errorsignal->show();
            form_.setStatusText(s.lastError);
            form_.setWindowTitle(MainForm::title() + QStringLiteral(" Halted !"));
        } else {
            c.errorsignal->hide();
            form_.setWindowTitle(MainForm::title());
        }
    }
    c.Command4->setEnabled(true);
    c.Command5->setEnabled(true);
    running_ = false;
}

void PrintLauncher::Timer2_Timer()
{
    const QString status = readTorvexKey(QStringLiteral("print_status"));
    if (!status.isEmpty())
        form_.setStatusText(form_.schedule().myDateTime() + QStringLiteral("  ") + status);
    form_.controls().Timer2->stop();
}

void PrintLauncher::errorsignal_Click()
{
    form_.boxes().show(QStringLiteral("The print utility reported the following error.\r\n")
                           + form_.state().lastError,
                       QCoreApplication::applicationName(), MsgButtons::Ok, MsgIcon::None);
    form_.controls().errorsignal->hide();
}

void PrintLauncher::Command4_Click()
{
    FormControls& c = form_.controls();
    if (!IsConnection(form_))
        return;
    c.Command4->setEnabled(false);
    form_.settings().Command1_Click();
    if (!form_.state().settingsApplied) {
        c.Command4->setEnabled(true);
        return;
    }
    const WaitCursor hourglass;
    form_.setStatusText(form_.schedule().myDateTime() + QStringLiteral(" Retrieving TORVEXes for ")
                        + form_.state().info.Torvex_Addr.toUpper());
    shellIt(QStringLiteral("0"));
    form_.schedule().ResetCountdown();
    form_.schedule().ResetStatusBar();
}

}  // namespace torvex
