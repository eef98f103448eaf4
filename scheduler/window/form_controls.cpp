#include "scheduler/window/form_controls.h"

#include "common/mail_security.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedLayout>
#include <QStatusBar>
#include <QTabBar>
#include <QVBoxLayout>

namespace torvex {
namespace {

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLineEdit* edit(const char* name)
{
    return named(new QLineEdit, name);
}

QCheckBox* check(const char* name, const QString& caption)
{
    return named(new QCheckBox(caption), name);
}

QRadioButton* option(const char* name, const QString& caption)
{
    return named(new QRadioButton(caption), name);
}

QPushButton* button(const char* name, const QString& caption)
{
    return named(new QPushButton(caption), name);
}

QLabel* labelFor(const QString& caption, QWidget* buddy)
{
    auto* label = new QLabel(caption);
    label->setBuddy(buddy);
    return label;
}

QLabel* note(const QString& text)
{
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

// A display-only check box: shows a state, takes no clicks.
void displayOnly(QCheckBox* box)
{
    box->setAttribute(Qt::WA_TransparentForMouseEvents);
    box->setFocusPolicy(Qt::NoFocus);
}

QGroupBox* group(const QString& title, QLayout* layout)
{
    auto* box = new QGroupBox(title);
    box->setLayout(layout);
    return box;
}

// A text field followed by its unit, as in "every [5] minutes".
QHBoxLayout* fieldWithUnit(QLineEdit* field, const QString& unit, int width)
{
    auto* row = new QHBoxLayout;
    field->setMaximumWidth(width);
    row->addWidget(field);
    row->addWidget(new QLabel(unit));
    row->addStretch();
    return row;
}

void exclusive(QWidget* owner, std::initializer_list<QRadioButton*> buttons)
{
    auto* g = new QButtonGroup(owner);
    for (QRadioButton* b : buttons)
        g->addButton(b);
}

QWidget* addressPage(FormControls& c)
{
    c.Text2 = edit("Text2");
    c.Text3 = edit("Text3");
    c.Text4 = edit("Text4");
    auto* fax = new QGridLayout;
    fax->addWidget(labelFor(QStringLiteral("&Country Code "), c.Text2), 0, 0);
    fax->addWidget(labelFor(QStringLiteral("Area Co&de"), c.Text3), 0, 1);
    fax->addWidget(labelFor(QStringLiteral("&Number"), c.Text4), 0, 2);
    fax->addWidget(c.Text2, 1, 0);
    fax->addWidget(c.Text3, 1, 1);
    fax->addWidget(c.Text4, 1, 2);
    fax->setColumnStretch(2, 2);

    c.Text1 = edit("Text1");
    c.txtVXAddress = edit("txtVXAddress");
    c.Text13 = edit("Text13");
    c.Text14 = edit("Text14");
    c.Text13->setEchoMode(QLineEdit::Password);
    c.Text14->setEchoMode(QLineEdit::Password);
    c.Text16 = edit("Text16");
    c.lblPassword = named(labelFor(QStringLiteral("&Password *"), c.Text13), "lblPassword");
    c.lblRePassword =
        named(labelFor(QStringLiteral("&Re-enter Password"), c.Text14), "lblRePassword");
    c.Check13 = check("Check13", QStringLiteral("Save the Password"));
    c.Check9 = check("Check9", QStringLiteral("Confirm receipt of incoming TORVEXes"));
    c.Label53 = named(note(QStringLiteral("* NB The password and TORVEX Address MUST be the same "
                                          "you use to set up the TORVEX profile in the MS "
                                          "Exchange Inbox")),
                      "Label53");
    c.Label53->hide();

    auto* info = new QGridLayout;
    info->addWidget(labelFor(QStringLiteral("A &Name for your TORVEX Device"), c.Text1), 0, 0);
    info->addWidget(c.Text1, 0, 1, 1, 3);
    info->addWidget(labelFor(QStringLiteral("TORVEX &Address *"), c.txtVXAddress), 1, 0);
    info->addWidget(c.txtVXAddress, 1, 1, 1, 3);
    info->addWidget(c.lblPassword, 2, 0);
    info->addWidget(c.Text13, 2, 1);
    info->addWidget(c.lblRePassword, 2, 2);
    info->addWidget(c.Text14, 2, 3);
    info->addWidget(labelFor(QStringLiteral("MS Outlook/Exchange Inbox profile *"), c.Text16), 3,
                    0);
    info->addWidget(c.Text16, 3, 1, 1, 3);
    info->addWidget(c.Check13, 4, 1);
    info->addWidget(c.Check9, 4, 2, 1, 2);
    info->addWidget(c.Label53, 5, 0, 1, 4);

    auto* page = new QVBoxLayout;
    page->addWidget(group(QStringLiteral("Your Regular Fax Information"), fax));
    page->addWidget(group(QStringLiteral("Your TORVEX Information"), info));
    page->addStretch();
    auto* w = new QWidget;
    w->setLayout(page);
    return w;
}

// The choices in MailSecurity's order: the core reads and sets the index.
QComboBox* securityBox(const char* name)
{
    auto* box = named(new QComboBox, name);
    const std::pair<const char*, MailSecurity> entries[] = {
        {"None", MailSecurity::None},
        {"STARTTLS when offered", MailSecurity::StartTlsWhenOffered},
        {"STARTTLS required", MailSecurity::StartTlsRequired},
        {"TLS (ports 995, 465)", MailSecurity::ImplicitTls},
    };
    for (const auto& [caption, security] : entries)
        box->insertItem(int(security), QString::fromLatin1(caption));
    return box;
}

QLineEdit* portField(const char* name)
{
    QLineEdit* field = edit(name);
    field->setMaxLength(5);
    field->setMaximumWidth(70);
    field->setPlaceholderText(QStringLiteral("standard"));
    return field;
}

// How the mailbox and the mail servers are reached: security and port per
// kind of server, the SMTP log-on, the trusted certificate, https.
QGroupBox* securityGroup(FormControls& c)
{
    c.Combo3 = securityBox("Combo3");
    c.Text29 = portField("Text29");
    c.Combo4 = securityBox("Combo4");
    c.Text30 = portField("Text30");
    c.Text31 = edit("Text31");
    c.Text32 = edit("Text32");
    c.Text32->setEchoMode(QLineEdit::Password);
    c.Combo5 = securityBox("Combo5");
    c.Text33 = portField("Text33");
    c.Text34 = edit("Text34");
    c.Check20 = check("Check20", QStringLiteral("Reach the TORVEX web server by https"));

    auto* form = new QGridLayout;
    const auto row = [&](int at, const QString& caption, QComboBox* box, QLineEdit* port) {
        form->addWidget(labelFor(caption, box), at, 0);
        form->addWidget(box, at, 1);
        form->addWidget(labelFor(QStringLiteral("Port"), port), at, 2);
        form->addWidget(port, at, 3);
    };
    row(0, QStringLiteral("TORVEX mail&box (POP3)"), c.Combo3, c.Text29);
    row(1, QStringLiteral("Your SMTP ser&ver"), c.Combo4, c.Text30);
    form->addWidget(labelFor(QStringLiteral("SMTP &log-on name"), c.Text31), 2, 0);
    form->addWidget(c.Text31, 2, 1);
    form->addWidget(labelFor(QStringLiteral("Pass&word"), c.Text32), 3, 0);
    form->addWidget(c.Text32, 3, 1);
    row(4, QStringLiteral("&Other SMTP servers"), c.Combo5, c.Text33);
    form->addWidget(labelFor(QStringLiteral("Trusted certificat&e file"), c.Text34), 5, 0);
    form->addWidget(c.Text34, 5, 1, 1, 3);
    form->addWidget(c.Check20, 6, 0, 1, 4);
    form->setColumnStretch(1, 1);
    return group(QStringLiteral("Secure connections"), form);
}

QWidget* mailPage(FormControls& c)
{
    c.Text6 = edit("Text6");
    c.Text7 = edit("Text7");
    c.Text20 = edit("Text20");
    auto* form = new QGridLayout;
    form->addWidget(labelFor(QStringLiteral("Your &Current EMail Address *"), c.Text6), 0, 0);
    form->addWidget(c.Text6, 0, 1);
    form->addWidget(labelFor(QStringLiteral("Your Current &SMTP Server *"), c.Text7), 1, 0);
    form->addWidget(c.Text7, 1, 1);
    form->addWidget(labelFor(QStringLiteral("&Reserve SMTP Server"), c.Text20), 2, 0);
    form->addWidget(c.Text20, 2, 1);
    form->addWidget(note(QStringLiteral("TORVEX may use this SMTP server to send read receipts.")),
                    3, 1);
    auto* page = new QVBoxLayout;
    page->addWidget(group(QStringLiteral("Your regular Email Information"), form));
    page->addWidget(securityGroup(c));
    page->addStretch();
    auto* w = new QWidget;
    w->setLayout(page);
    return w;
}

QWidget* connectionPage(FormControls& c, QWidget* owner)
{
    c.Option1 = option("Option1", QStringLiteral(" a &Modem *"));
    c.Option2 = option("Option2", QStringLiteral("a &Network Card *"));
    exclusive(owner, {c.Option1, c.Option2});
    c.Combo1 = named(new QComboBox, "Combo1");
    c.Check12 = check("Check12", QStringLiteral("Connected"));
    displayOnly(c.Check12);
    c.Check1 = check("Check1", QStringLiteral("I'm connected through a &firewall"));
    c.Check14 = check("Check14", QStringLiteral("&Dis-connect at the end of each session"));
    c.Text18 = edit("Text18");
    c.Text18->setReadOnly(true);
    c.Text8 = edit("Text8");
    c.Text21 = edit("Text21");
    c.Label32 = named(note(QStringLiteral("* NB These selections MUST reflect the Inbox settings "
                                          "for the TORVEX profile")),
                      "Label32");
    c.Label32->hide();

    auto* form = new QGridLayout;
    form->addWidget(c.Option1, 0, 0, 1, 3);
    form->addWidget(labelFor(QStringLiteral("Dial using this connection *"), c.Combo1), 1, 0);
    form->addWidget(c.Combo1, 1, 1);
    form->addWidget(c.Check12, 1, 2);
    form->addWidget(labelFor(QStringLiteral("Local IP Address"), c.Text8), 2, 0);
    form->addWidget(c.Text8, 2, 1);
    form->addWidget(c.Check14, 3, 0, 1, 3);
    form->addWidget(c.Text18, 4, 0, 1, 3);
    form->addWidget(c.Option2, 5, 0, 1, 3);
    form->addWidget(labelFor(QStringLiteral("Local IP Address"), c.Text21), 6, 0);
    form->addWidget(c.Text21, 6, 1);
    form->addWidget(c.Check1, 7, 0, 1, 3);
    form->addWidget(c.Label32, 8, 0, 1, 3);
    form->setColumnStretch(1, 1);

    auto* page = new QVBoxLayout;
    page->addWidget(group(QStringLiteral("Connecting to TORVEX"), form));
    page->addStretch();
    auto* w = new QWidget;
    w->setLayout(page);
    return w;
}

QWidget* schedulePage(FormControls& c)
{
    c.Check3 = check("Check3", QStringLiteral("Make sheduled connections"));
    c.Text9 = edit("Text9");
    c.Text10 = edit("Text10");
    c.Text11 = edit("Text11");
    c.Text19 = edit("Text19");
    c.Text19->setReadOnly(true);
    c.Text19->setFocusPolicy(Qt::NoFocus);
    c.Check4 = check("Check4", QStringLiteral("Respond to a Quillet(tm)"));
    c.Check5 = check("Check5", QString());
    c.Text15 = edit("Text15");
    for (QWidget* w : {static_cast<QWidget*>(c.Text9), static_cast<QWidget*>(c.Text10),
                       static_cast<QWidget*>(c.Text11), static_cast<QWidget*>(c.Text15),
                       static_cast<QWidget*>(c.Check5)})
        w->setEnabled(false);

    auto* hours = new QHBoxLayout;
    c.Text10->setMaximumWidth(60);
    c.Text11->setMaximumWidth(60);
    hours->addWidget(c.Text10);
    hours->addWidget(new QLabel(QStringLiteral("and")));
    hours->addWidget(c.Text11);
    hours->addStretch();

    auto* form = new QGridLayout;
    form->addWidget(c.Check3, 0, 0, 1, 2);
    form->addWidget(labelFor(QStringLiteral("Check for torvex faxes every *"), c.Text9), 1, 0);
    form->addLayout(fieldWithUnit(c.Text9, QStringLiteral("minutes"), 80), 1, 1);
    form->addWidget(labelFor(QStringLiteral("Only between the hours of"), c.Text10), 2, 0);
    form->addLayout(hours, 2, 1);
    form->addWidget(new QLabel(QStringLiteral("Time until next download")), 3, 0);
    form->addLayout(fieldWithUnit(c.Text19, QStringLiteral("minutes"), 80), 3, 1);
    form->addWidget(c.Check4, 4, 0, 1, 2);
    form->addWidget(c.Check5, 5, 0, 1, 2);
    form->addWidget(c.Text15, 6, 0, 1, 2);
    form->setColumnStretch(1, 1);

    auto* page = new QVBoxLayout;
    page->addWidget(group(QStringLiteral("Schedule"), form));
    page->addStretch();
    auto* w = new QWidget;
    w->setLayout(page);
    return w;
}

QWidget* printingPage(FormControls& c)
{
    c.Combo2 = named(new QComboBox, "Combo2");
    c.Command3 = button("Command3", QStringLiteral("&Setup"));
    auto* printer = new QHBoxLayout;
    printer->addWidget(labelFor(QStringLiteral("Select a Printer"), c.Combo2));
    printer->addWidget(c.Combo2, 1);
    printer->addWidget(c.Command3);

    c.Check6 = check("Check6", QStringLiteral("Print the complete header"));
    c.Check7 = check("Check7", QStringLiteral("Print Page Headers"));
    c.Check11 = check("Check11", QStringLiteral("Print a simplified header"));
    c.Check10 = check("Check10", QStringLiteral("Print Error Information"));
    auto* torvexes = new QGridLayout;
    torvexes->addWidget(c.Check6, 0, 0);
    torvexes->addWidget(c.Check7, 0, 1);
    torvexes->addWidget(c.Check11, 1, 0);
    torvexes->addWidget(c.Check10, 1, 1);
    torvexes->addWidget(
        note(QStringLiteral("By default TORVEXes are automaticaly printed.with a simplified header")),
        2, 0, 1, 2);

    c.Check8 = check("Check8", QStringLiteral("Automaticaly print all regular faxes in the "
                                              "following MS Exchange profile"));
    c.Text12 = edit("Text12");
    c.Text12->setEnabled(false);
    c.Text22 = edit("Text22");
    auto* faxes = new QGridLayout;
    faxes->addWidget(c.Check8, 0, 0, 1, 2);
    faxes->addWidget(c.Text12, 1, 0, 1, 2);
    faxes->addWidget(labelFor(QStringLiteral("Check for incoming faxes every"), c.Text22), 2, 0);
    faxes->addLayout(fieldWithUnit(c.Text22, QStringLiteral("minutes"), 60), 2, 1);
    faxes->setColumnStretch(1, 1);

    auto* page = new QVBoxLayout;
    page->addWidget(group(QStringLiteral("TORVEX Printer"), printer));
    page->addWidget(group(QStringLiteral("Printing TORVEXes"), torvexes));
    page->addWidget(group(QStringLiteral("Printing Regular Faxes"), faxes));
    page->addStretch();
    auto* w = new QWidget;
    w->setLayout(page);
    return w;
}

QWidget* userProfilePage(FormControls& c)
{
    struct Field {
        QLineEdit** control;
        const char* name;
        const char* caption;
    };
    const Field fields[] = {
        {&c.txtFirstName, "txtFirstName", "&First Name *"},
        {&c.txtLastName, "txtLastName", "Last Name *"},
        {&c.txtBankACOwner, "txtBankACOwner", "Company Name"},
        {&c.txtJobTitle, "txtJobTitle", "Job Title"},
        {&c.txtStreet, "txtStreet", "Street *"},
        {&c.txtTown, "txtTown", "Town/City *"},
        {&c.txtState, "txtState", "State or Province *"},
        {&c.txtZip, "txtZip", "Zip/Postal Code *"},
        {&c.txtCountry, "txtCountry", "Country *"},
    };
    auto* details = new QGridLayout;
    int row = 0;
    for (const Field& f : fields) {
        *f.control = edit(f.name);
        details->addWidget(labelFor(QString::fromLatin1(f.caption), *f.control), row, 0);
        details->addWidget(*f.control, row, 1, 1, 5);
        ++row;
    }
    c.txtCCode = edit("txtCCode");
    c.txtArea = edit("txtArea");
    c.txtNo = edit("txtNo");
    details->addWidget(labelFor(QStringLiteral("Country Code"), c.txtCCode), row, 0);
    details->addWidget(c.txtCCode, row, 1);
    details->addWidget(labelFor(QStringLiteral("Area Code"), c.txtArea), row, 2);
    details->addWidget(c.txtArea, row, 3);
    details->addWidget(labelFor(QStringLiteral("Number"), c.txtNo), row, 4);
    details->addWidget(c.txtNo, row, 5);
    details->setColumnStretch(5, 2);
    c.Frame8 = named(group(QStringLiteral("Account Holder"), details), "Frame8");

    c.Label31 = named(new QLabel(QStringLiteral(" ")), "Label31");
    c.Label31->setFrameShape(QFrame::Panel);
    c.Label31->setFrameShadow(QFrame::Sunken);
    c.Command6 = button("Command6", QStringLiteral("&Set Up Address"));
    c.Command6->setEnabled(false);
    auto* address = new QHBoxLayout;
    address->addWidget(new QLabel(QStringLiteral("TORVEX Address")));
    address->addWidget(c.Label31, 1);
    address->addWidget(c.Command6);

    auto* page = new QVBoxLayout;
    page->addLayout(address);
    page->addWidget(c.Frame8);
    page->addStretch();
    auto* w = new QWidget;
    w->setLayout(page);
    return w;
}

QWidget* relayPage(FormControls& c, QWidget* owner)
{
    c.Check19 = check("Check19", QStringLiteral("Retain copy"));
    c.Option10 = option("Option10", QStringLiteral("Any global Faxcall"));
    c.Option9 = option("Option9", QStringLiteral("Local Faxcall only"));
    exclusive(owner, {c.Option10, c.Option9});
    c.Check15 = check("Check15", QStringLiteral("Verify Authorisation"));
    auto* relay = new QGridLayout;
    relay->addWidget(c.Check19, 0, 0);
    relay->addWidget(c.Check15, 0, 1);
    relay->addWidget(c.Option10, 1, 0);
    relay->addWidget(c.Option9, 1, 1);
    relay->addWidget(note(QStringLiteral("Relay incoming TORVEXes using the selected modems")), 2,
                     0, 1, 2);
    c.Frame15 = named(group(QStringLiteral("TORVEX Relay"), relay), "Frame15");

    c.lstLines = named(new QListWidget, "lstLines");
    c.txtStatus = named(new QPlainTextEdit, "txtStatus");
    c.txtStatus->setReadOnly(true);
    auto* monitor = new QGridLayout;
    monitor->addWidget(labelFor(QStringLiteral("Modems"), c.lstLines), 0, 0);
    monitor->addWidget(labelFor(QStringLiteral("Line State"), c.txtStatus), 0, 1);
    monitor->addWidget(c.lstLines, 1, 0);
    monitor->addWidget(c.txtStatus, 1, 1);

    auto* page = new QVBoxLayout;
    page->addWidget(c.Frame15);
    page->addWidget(group(QStringLiteral("Line Monitor"), monitor), 1);
    auto* w = new QWidget;
    w->setLayout(page);
    return w;
}

QGroupBox* forwardingRow(const QString& title, QCheckBox* box, QRadioButton* address,
                         QLineEdit* addressField, QRadioButton* fax, QLineEdit* faxField,
                         QWidget* owner)
{
    exclusive(owner, {address, fax});
    auto* grid = new QGridLayout;
    grid->addWidget(box, 0, 0, 1, 2);
    grid->addWidget(address, 1, 0);
    grid->addWidget(addressField, 1, 1);
    grid->addWidget(fax, 2, 0);
    grid->addWidget(faxField, 2, 1);
    grid->setColumnStretch(1, 1);
    return group(title, grid);
}

QWidget* forwardingPage(FormControls& c, QWidget* owner)
{
    const QString address = QStringLiteral("TORVEX or EMail Address");
    const QString fax = QStringLiteral("Global Fax Number");
    c.Check16 = check("Check16", QStringLiteral("Re-direct incoming TORVEXES to this -"));
    c.Check17 = check("Check17", QStringLiteral("Re-direct incoming Regular Faxes to this -"));
    c.Check18 = check("Check18", QStringLiteral("Re-direct incoming EMail to this -"));
    c.Option3 = option("Option3", address);
    c.Option4 = option("Option4", fax);
    c.Option5 = option("Option5", address);
    c.Option6 = option("Option6", fax);
    c.Option7 = option("Option7", address);
    c.Option8 = option("Option8", fax);
    c.Text23 = edit("Text23");
    c.Text24 = edit("Text24");
    c.Text25 = edit("Text25");
    c.Text26 = edit("Text26");
    c.Text27 = edit("Text27");
    c.Text28 = edit("Text28");

    auto* page = new QVBoxLayout;
    page->addWidget(forwardingRow(QStringLiteral("TORVEXes"), c.Check16, c.Option3, c.Text23,
                                  c.Option4, c.Text24, owner));
    page->addWidget(forwardingRow(QStringLiteral("Regular Faxes"), c.Check17, c.Option5, c.Text25,
                                  c.Option6, c.Text26, owner));
    page->addWidget(forwardingRow(QStringLiteral("EMail"), c.Check18, c.Option7, c.Text27,
                                  c.Option8, c.Text28, owner));
    page->addStretch();
    auto* w = new QWidget;
    w->setLayout(page);
    return w;
}

QWidget* helpPage(FormControls& c)
{
    const char* captions[] = {"Technical FAQ", "Basic SetUp ", "Relay", "Forwarding"};
    auto* help = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        c.Command9[i] = button("Command9", QString::fromLatin1(captions[i]));
        c.Command9[i]->setProperty("Index", i);
        help->addWidget(c.Command9[i]);
    }

    c.Command8 = button("Command8", QStringLiteral("TORVEX Home"));
    c.Label45 = named(new QLabel, "Label45");
    c.Label48 = named(new QLabel, "Label48");
    c.Label50 = named(new QLabel, "Label50");
    auto* about = new QGridLayout;
    about->addWidget(new QLabel(QStringLiteral("Program Name")), 0, 0);
    about->addWidget(c.Label45, 0, 1);
    about->addWidget(new QLabel(QStringLiteral("Program Version")), 1, 0);
    about->addWidget(c.Label48, 1, 1);
    about->addWidget(new QLabel(QStringLiteral("User Status")), 2, 0);
    about->addWidget(c.Label50, 2, 1);
    about->addWidget(c.Command8, 3, 0);
    about->setColumnStretch(1, 1);

    auto* page = new QVBoxLayout;
    page->addWidget(group(QStringLiteral("TORVEX Print On-Line Help"), help));
    page->addWidget(group(QStringLiteral("About TORVEX Print"), about));
    page->addStretch();
    auto* w = new QWidget;
    w->setLayout(page);
    return w;
}

struct Tab {
    const char* caption;
    const char* key;
};
constexpr Tab kTabs[] = {
    {"TORVEX &Address", "VXADDRESS"}, {"E -  &Mail", "EMAIL"},
    {"&Internet Connection", "ICONNECT"}, {"&Connection Schedule", "SCHED"},
    {"&Printing", "PRINT"}, {"&User Profile", "PROFILE"},
    {"&Relay + Line Monitor", "RELAY"}, {"&Forwarding", "FORWARD"},
    {"About + &Help", "HELP"},
};

}  // namespace

void buildFormControls(QWidget& window, FormControls& c)
{
    c.TabStrip1 = named(new QTabBar, "TabStrip1");
    c.TabStrip1->setExpanding(false);
    c.TabStrip1->setUsesScrollButtons(false);
    c.TabStrip1->setDrawBase(false);
    for (const Tab& tab : kTabs) {
        const int index = c.TabStrip1->addTab(QString::fromLatin1(tab.caption));
        c.TabStrip1->setTabData(index, QString::fromLatin1(tab.key));
    }

    auto* pageArea = new QFrame;
    pageArea->setFrameShape(QFrame::StyledPanel);
    c.pageStack = new QStackedLayout(pageArea);
    QWidget* pages[] = {addressPage(c), mailPage(c), connectionPage(c, &window),
                        schedulePage(c), printingPage(c), userProfilePage(c),
                        relayPage(c, &window), forwardingPage(c, &window), helpPage(c)};
    for (int i = 0; i < 9; ++i) {
        auto* frame = named(new QFrame, "Frame17");
        frame->setProperty("Index", i);
        frame->setFrameShape(QFrame::NoFrame);
        auto* layout = new QVBoxLayout(frame);
        layout->addWidget(pages[i]);
        c.Frame17[i] = frame;
        c.pageStack->addWidget(frame);
    }

    c.Command1 = button("Command1", QStringLiteral("&Apply Settings"));
    c.Command1->setDefault(true);
    c.Command2 = button("Command2", QStringLiteral("E&xit"));
    c.Command4 = button("Command4", QStringLiteral("&Get TORVEXes NOW"));
    c.Command4->setEnabled(false);
    c.Command5 = button("Command5", QStringLiteral("Send &Test"));
    c.errorsignal = button("errorsignal", QStringLiteral("!"));
    c.errorsignal->setFixedWidth(c.errorsignal->sizeHint().height());
    c.errorsignal->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    c.errorsignal->hide();
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    buttons->addWidget(c.Command1);
    buttons->addWidget(c.Command2);
    buttons->addWidget(c.Command4);
    buttons->addWidget(c.Command5);
    // Beside the specified buttons: the log of received faxes (Ctrl+L).
    c.faxLog = button("FaxLogButton", QStringLiteral("Fax Log..."));
    c.faxLog->setAccessibleName(QStringLiteral("Fax log: the received faxes (Ctrl+L)"));
    c.faxLog->setToolTip(QStringLiteral("The received faxes: open or reprint one (Ctrl+L)"));
    buttons->addWidget(c.faxLog);
    buttons->addStretch();
    buttons->addWidget(c.errorsignal);

    c.StatusBar1 = named(new QStatusBar, "StatusBar1");
    c.StatusBar1->setSizeGripEnabled(false);
    c.statusPanel = named(new QLabel, "StatusBar1Panel1");
    c.statusPanel->setTextFormat(Qt::PlainText);
    c.StatusBar1->addWidget(c.statusPanel, 1);

    auto* top = new QVBoxLayout(&window);
    top->setSpacing(0);
    top->addWidget(c.TabStrip1);
    top->addWidget(pageArea, 1);
    top->addSpacing(8);
    top->addLayout(buttons);
    top->addSpacing(4);
    top->addWidget(c.StatusBar1);
}

}  // namespace torvex
