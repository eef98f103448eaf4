#pragma once

#include <QString>

#include <array>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStackedLayout;
class QStatusBar;
class QTabBar;
class QWidget;

namespace torvex {

// The main window's controls under their form names (also their objectName;
// the arrays Frame17 and Command9 share one objectName and carry their
// index in the "Index" property). Owned by the window's widget tree.
struct FormControls {
    QTabBar* TabStrip1 = nullptr;
    QStackedLayout* pageStack = nullptr;
    std::array<QFrame*, 9> Frame17{};

    // Page 0 "TORVEX &Address"
    QLineEdit* Text2 = nullptr;  // Country_Code
    QLineEdit* Text3 = nullptr;  // Area_Code
    QLineEdit* Text4 = nullptr;  // Fax_Number
    QLineEdit* Text1 = nullptr;  // Torvex_Name
    QLineEdit* txtVXAddress = nullptr;
    QLabel* lblPassword = nullptr;
    QLineEdit* Text13 = nullptr;  // password
    QLabel* lblRePassword = nullptr;
    QLineEdit* Text14 = nullptr;  // password again
    QLineEdit* Text16 = nullptr;  // Torvex_Profile
    QCheckBox* Check13 = nullptr;  // Save_Pass
    QCheckBox* Check9 = nullptr;   // Confirm_Receipt
    QLabel* Label53 = nullptr;

    // Page 1 "E -  &Mail"
    QLineEdit* Text6 = nullptr;   // Normal_EMail_Addr
    QLineEdit* Text7 = nullptr;   // User_SMTP_Server
    QLineEdit* Text20 = nullptr;  // SMTP_Server2
    QComboBox* Combo3 = nullptr;  // POP3_Security
    QLineEdit* Text29 = nullptr;  // POP3_Port
    QComboBox* Combo4 = nullptr;  // User_SMTP_Security
    QLineEdit* Text30 = nullptr;  // User_SMTP_Port
    QLineEdit* Text31 = nullptr;  // User_SMTP_User
    QLineEdit* Text32 = nullptr;  // User_SMTP_Password
    QComboBox* Combo5 = nullptr;  // SMTP_Security
    QLineEdit* Text33 = nullptr;  // SMTP_Port
    QLineEdit* Text34 = nullptr;  // Trusted_Certificate_File
    QCheckBox* Check20 = nullptr; // VX_Use_HTTPS

    // Page 2 "&Internet Connection"
    QRadioButton* Option1 = nullptr;  // modem
    QRadioButton* Option2 = nullptr;  // network card
    QComboBox* Combo1 = nullptr;      // DUN_Name
    QCheckBox* Check12 = nullptr;     // connected (display only)
    QCheckBox* Check1 = nullptr;      // Firewall
    QCheckBox* Check14 = nullptr;     // Auto_Dis_Connect
    QLineEdit* Text18 = nullptr;      // connection status
    QLineEdit* Text8 = nullptr;       // local address over dial-up
    QLineEdit* Text21 = nullptr;      // local address of the network card
    QLabel* Label32 = nullptr;

    // Page 3 "&Connection Schedule"
    QCheckBox* Check3 = nullptr;  // Activate_Scheduler
    QLineEdit* Text9 = nullptr;   // Cycle_Minutes
    QLineEdit* Text10 = nullptr;  // Start_Time
    QLineEdit* Text11 = nullptr;  // Stop_Time
    QLineEdit* Text19 = nullptr;  // time until next download (display only)
    QCheckBox* Check4 = nullptr;  // Quillet
    QCheckBox* Check5 = nullptr;  // Get_Normal_EMail
    QLineEdit* Text15 = nullptr;  // Regular_Mail_Profile

    // Page 4 "&Printing"
    QComboBox* Combo2 = nullptr;  // Printer_Type
    QPushButton* Command3 = nullptr;
    QCheckBox* Check6 = nullptr;   // Print_Full_Header
    QCheckBox* Check7 = nullptr;   // Print_Page_Hdr
    QCheckBox* Check11 = nullptr;  // Print_Simple_Header
    QCheckBox* Check10 = nullptr;  // Print_Error_Info
    QCheckBox* Check8 = nullptr;   // Print_Normal_Fax
    QLineEdit* Text12 = nullptr;   // Normal_Fax_Profile
    QLineEdit* Text22 = nullptr;   // GSTN_Fax_Minutes

    // Page 5 "&User Profile"
    QGroupBox* Frame8 = nullptr;
    QLineEdit* txtFirstName = nullptr;
    QLineEdit* txtLastName = nullptr;
    QLineEdit* txtBankACOwner = nullptr;
    QLineEdit* txtJobTitle = nullptr;
    QLineEdit* txtStreet = nullptr;
    QLineEdit* txtTown = nullptr;
    QLineEdit* txtState = nullptr;
    QLineEdit* txtZip = nullptr;
    QLineEdit* txtCountry = nullptr;
    QLineEdit* txtCCode = nullptr;
    QLineEdit* txtArea = nullptr;
    QLineEdit* txtNo = nullptr;
    QLabel* Label31 = nullptr;
    QPushButton* Command6 = nullptr;

    // Page 6 "&Relay + Line Monitor"
    QGroupBox* Frame15 = nullptr;
    QCheckBox* Check19 = nullptr;
    QRadioButton* Option10 = nullptr;
    QRadioButton* Option9 = nullptr;
    QCheckBox* Check15 = nullptr;
    QListWidget* lstLines = nullptr;
    QPlainTextEdit* txtStatus = nullptr;

    // Page 7 "&Forwarding": rows TORVEXes, Regular Faxes, EMail
    QCheckBox* Check16 = nullptr;
    QCheckBox* Check17 = nullptr;
    QCheckBox* Check18 = nullptr;
    QRadioButton* Option3 = nullptr;
    QRadioButton* Option4 = nullptr;
    QRadioButton* Option5 = nullptr;
    QRadioButton* Option6 = nullptr;
    QRadioButton* Option7 = nullptr;
    QRadioButton* Option8 = nullptr;
    QLineEdit* Text23 = nullptr;
    QLineEdit* Text24 = nullptr;
    QLineEdit* Text25 = nullptr;
    QLineEdit* Text26 = nullptr;
    QLineEdit* Text27 = nullptr;
    QLineEdit* Text28 = nullptr;

    // Page 8 "About + &Help"
    std::array<QPushButton*, 4> Command9{};
    QPushButton* Command8 = nullptr;
    QLabel* Label45 = nullptr;  // program name
    QLabel* Label48 = nullptr;  // program version
    QLabel* Label50 = nullptr;  // user status

    // Button row and status bar
    QPushButton* Command1 = nullptr;  // "&Apply Settings"
    QPushButton* Command2 = nullptr;  // "E&xit"
    QPushButton* Command4 = nullptr;  // "&Get TORVEXes NOW"
    QPushButton* Command5 = nullptr;  // "Send &Test"
    QPushButton* errorsignal = nullptr;
    QPushButton* faxLog = nullptr;  // "Fax Log...": not one of the form's own
    QStatusBar* StatusBar1 = nullptr;
    QLabel* statusPanel = nullptr;  // panel 1
};

// Builds the tab strip, the nine pages, the button row and the status bar
// into the window.
void buildFormControls(QWidget& window, FormControls& c);

}  // namespace torvex
