#pragma once

#include "tests/support/dovecot_server.h"
#include "tests/support/smtp_test_server.h"
#include "tools/sample_fax.h"
#include "tools/sample_mail.h"

#include <QByteArray>
#include <QString>

namespace torvex::test {

// The set-up the tests share that run the programs whole against real mail
// servers on loopback: Dovecot as the mailbox, aiosmtpd taking receipts.

// Empty when Dovecot and aiosmtpd (and pdftotext, where the printouts are
// read) are installed; otherwise what is missing, to skip with.
[[nodiscard]] QString missingMailServers(bool readsPrintouts);

// Starts Dovecot for the user "torvex" with the password "secret"; the
// programs started from here on fetch from it (TORVEX_POP3_PORT).
[[nodiscard]] bool startMailbox(DovecotServer& pop);
// Starts aiosmtpd on host and port (0: a free one); the programs started
// from here on send to it (TORVEX_SMTP_PORT).
[[nodiscard]] bool startReceiptServer(SmtpTestServer& smtp, const QString& host = QStringLiteral("127.0.0.1"),
                                      quint16 port = 0);

// A sample fax of that many pages (at standard resolution unless fine),
// written to path; its bytes, empty when it could not be written.
[[nodiscard]] QByteArray sampleFaxTiff(const QString& path, int pages,
                                       tools::FaxCompression compression = tools::FaxCompression::Group3,
                                       bool fine = false);

// TORVEX number n of a batch: from sender to address, its covering note and
// Message-Id holding the token that tells it apart, fax attached as
// "fax<n>.tif".
[[nodiscard]] tools::InternetFax numberedTorvex(int n, const QString& sender, const QString& address,
                                                const QString& subject, const QString& token,
                                                const QByteArray& fax);

}  // namespace torvex::test
