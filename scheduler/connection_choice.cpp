#include "connection_choice.h"

#include "form_controls.h"
#include "main_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QRadioButton>

namespace torvex {

bool IsConnection(MainForm& form)
{
    const FormControls& c = form.controls();
    if (c.Option1->isChecked() || c.Option2->isChecked())
        return true;
    form.reportField(QStringLiteral("Please select 'Modem' or 'Network'."), 3, nullptr);
    return false;
}

void resetConnectInfo(MainForm& form, bool flg)
{
    const FormControls& c = form.controls();
    c.Option1->setChecked(flg);
    c.Check14->setEnabled(flg);
    c.Option2->setChecked(!flg);
}

}  // namespace torvex
