#pragma once

#include "sample_mail.h"

#include <QString>

#include <vector>

namespace torvex::tools {

// One Internet fax of the demo and how many fax pages its files hold (a
// text file counts as none: its pages depend on the layout).
struct DemoFax {
    InternetFax mail;
    int faxPages = 0;
};

// The demo's faxes for the user at `to`, from senders at `senderDomain`:
// a multi-page Group 3 TIFF, a Group 4 TIFF, a JPEG, a text file, and a
// fax whose sender asks for a receipt with the G3Fax report. Every image is
// drawn by sample_fax. Needs a QGuiApplication; empty when a page could not
// be encoded.
[[nodiscard]] std::vector<DemoFax> demoFaxes(const QString& to, const QString& senderDomain);

}  // namespace torvex::tools
