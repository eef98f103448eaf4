#include "page_handlers.h"

#include "common/service_defaults.h"
#include "common/telvane_info.h"
#include "connection_choice.h"
#include "main_form.h"
#include "schedule_engine.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace torvex {
namespace {

void setEnabled(std::initializer_list<QWidget*> widgets, bool enabled)
{
    for (QWidget* w : widgets)
        w->setEnabled(enabled);
}

}  // namespace

void PageHandlers::Command3_Click()
{
    form_.environment().printerSetup(&form_);
}

void PageHandlers::Command8_Click()
{
    form_.environment().shell->open(QStringLiteral("http://") + form_.state().info.gVXDomainName
                                    + QLatin1Char('/'));
}

void PageHandlers::Command9_Click(int index)
{
    static const char* const pages[] = {"vxptfaq.htm", "vxphlpbs.htm", "vxphlprl.htm",
                                        "vxphlpfr.htm"};
    if (index < 0 || index > 3)
        return;
    const QString appPath = form_.state().gAppPath;
    QString location = readTorvexKey(QStringLiteral("help_location"),
                                     QString::fromLatin1(kServiceHelpLocation));
    QString base;
    if (location.contains(QLatin1Char('.'))) {
        base = QStringLiteral("http://") + location + QLatin1Char('/');
    } else {
        // A folder of the program folder; either slash separates.
        location.replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (location.isEmpty() || location == QLatin1String("/")) {
            base = appPath + QLatin1Char('/');
        } else {
            if (!location.startsWith(QLatin1Char('/')))
                location.prepend(QLatin1Char('/'));
            if (!location.endsWith(QLatin1Char('/')))
                location.append(QLatin1Char('/'));
            base = appPath + location;
        }
    }
    form_.environment().shell->open(base + QString::fromLatin1(pages[index]));
}

void PageHandlers::Check1_Click()
{
    const FormControls& c = form_.controls();
    if (form_.state().flgLoading)
        return;
    if (c.Option2->isChecked())
        form_.state().gLocalIPAddr = c.Text21->text();
}

void PageHandlers::Check3_Click()
{
    const FormControls& c = form_.controls();
    const bool on = c.Check3->isChecked();
    setEnabled({c.Text9, c.Text10, c.Text11, c.Text15}, on);
    if (on)
        c.Text19->setText(form_.schedule().GetNextMinutes());
    else
        c.Text19->clear();
    form_.schedule().ResetStatusBar();
}

void PageHandlers::Check8_Click()
{
    const FormControls& c = form_.controls();
    c.Text12->setEnabled(c.Check8->isChecked());
    form_.schedule().ResetStatusBar();
}

void PageHandlers::Check10_Click()
{
    form_.state().info.Print_Error_Info = form_.controls().Check10->isChecked();
}

void PageHandlers::Check11_Click()
{
    form_.state().info.Print_Simple_Header = form_.controls().Check11->isChecked();
}

void PageHandlers::forwardingRow_Click(int row)
{
    const ForwardingRow r = forwardingRows(form_.controls()).at(size_t(row));
    if (r.box->isChecked() && !r.addressOption->isChecked() && !r.faxOption->isChecked())
        r.addressOption->setChecked(true);
}

void PageHandlers::Option1_Click()
{
    FormControls& c = form_.controls();
    SchedulerState& s = form_.state();
    if (s.flgLoading)
        return;
    s.info.Modem_Connect = true;
    if (c.Combo1->count() == 0) {
        form_.alert(QStringLiteral("Please use 'MyComputer | Dial-Up Networking' to create a "
                                   "connection profile."));
        QButtonGroup* group = c.Option1->group();
        group->setExclusive(false);
        c.Option1->setChecked(false);
        group->setExclusive(true);
        return;
    }
    if (c.Combo1->currentIndex() < 0)
        c.Combo1->setCurrentIndex(0);
    resetConnectInfo(form_, true);
    s.gLocalIPAddr = c.Text8->text();
    if (form_.dialUp().connected())
        form_.account().updateLocalIPAddress();
}

void PageHandlers::Option2_Click()
{
    SchedulerState& s = form_.state();
    if (s.flgLoading)
        return;
    s.info.Modem_Connect = false;
    resetConnectInfo(form_, false);
    s.gLocalIPAddr = form_.controls().Text21->text();
    form_.account().updateLocalIPAddress();
}

void PageHandlers::Combo1_Click()
{
    const FormControls& c = form_.controls();
    const QString chosen = c.Combo1->currentText();
    form_.state().info.DUN_Name = chosen;
    if (form_.dialUp().currentEntry() != chosen)
        form_.dialUp().setCurrentEntry(chosen);
    c.Text18->setText(form_.dialUp().statusText());
}

void PageHandlers::Frame15_DblClick()
{
    const FormControls& c = form_.controls();
    const QString password = c.Text13->text();
    if (password.isEmpty() || password != c.Text14->text()) {
        form_.reportField(QStringLiteral("Password error!"), 1, c.Text13);
        return;
    }
    form_.state().info.Password = password;
    if (form_.account().CheckMemberStatus()) {
        form_.account().ResetGroupFunctions();
        form_.account().UpdatedbLocalIPAddress();
    }
}

void PageHandlers::showPasswordEntries(bool flg)
{
    const FormControls& c = form_.controls();
    for (QWidget* w : {static_cast<QWidget*>(c.lblPassword), static_cast<QWidget*>(c.lblRePassword),
                       static_cast<QWidget*>(c.Text13), static_cast<QWidget*>(c.Text14),
                       static_cast<QWidget*>(c.Check13)})
        w->setVisible(flg);
}

}  // namespace torvex
