#pragma once

#include "tests/support/dovecot_server.h"
#include "tests/support/smtp_test_server.h"
#include "tests/support/test_env.h"
#include "tools/sample_inbox.h"
#include "tools/sample_mail.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <utility>

namespace torvex::test {

// The bench of the tests that run the programs whole against real mail
// servers on loopback: Dovecot as the mailbox, aiosmtpd taking receipts,
// the built-in PDF printer; and the count of what the runs printed, filed
// and sent, each TORVEX found by a token or subject of its own.

// The TORVEXes of a numbered batch come from this sender (receipts go to
// its domain, 127.0.0.1) to the user of the mailbox startMailbox starts.
inline const QString kBatchSender = QStringLiteral("Sender Office <sender@127.0.0.1>");
inline const QString kBatchAddress = QStringLiteral("torvex@127.0.0.1");

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

// TORVEX number n of a batch: its subject, and the token that tells it
// apart in its covering note and Message-Id.
[[nodiscard]] QString batchSubject(int n);
[[nodiscard]] QString batchToken(int n);
[[nodiscard]] QStringList batchTokens(int count);
// That TORVEX from kBatchSender to kBatchAddress, fax attached as "fax<n>.tif".
[[nodiscard]] tools::InternetFax numberedTorvex(int n, const QByteArray& fax);

// A TORVEX of the sample Inbox to user@torvex.net; its text names its subject.
[[nodiscard]] tools::SampleTorvex sampleTorvex(const QString& subject,
                                               std::vector<tools::SampleTorvex::Attachment> attachments = {},
                                               QStringList extraHeaders = {});
// The sample Inbox: one of each kind of message a run tells apart, in this
// order: a TORVEX with a fax, one with a text file, one with the fax and a
// file of a rejected type, a receipt from elsewhere, a regular fax, and a
// TORVEX for someone else.
[[nodiscard]] std::vector<tools::SampleTorvex> sampleInbox(const QByteArray& fax, const QByteArray& regularFax);

// A program folder and settings of the test's own with the TORVEX profile's
// Maildir, printing on the built-in PDF printer.
class RunBench {
public:
    RunBench();

    TestEnv env;
    [[nodiscard]] QString home(const QString& name) const { return env.path(name); }
    // A folder of the profile's Maildir (".TORVEXes.Printed"), or the Maildir itself.
    [[nodiscard]] QString profile(const QString& folder = QString()) const;
    // Writes the keys into the settings' TORVEX section.
    void set(std::initializer_list<std::pair<const char*, QString>> keys) const;
    // Fetches from the mailbox startMailbox starts and confirms by receipt to
    // the senders' domain, the loopback address: no wake-up probes.
    void fetchFromLoopback() const;
    // The names of the files in the program folder's folder (In, Out, ...).
    [[nodiscard]] QStringList filesIn(const QString& folder) const;
    // The printer's PDFs, in the order they were printed, and their pages.
    [[nodiscard]] QStringList printouts() const;
    [[nodiscard]] QList<int> printoutPages() const;
    // vxprintu with that command line, to its end.
    [[nodiscard]] ProcessResult run(const QStringList& args, const QStringList& extraEnv = {},
                                    int timeoutMs = 120000) const;

    // Every TORVEX 1..count of the batch lies once in TORVEXes/Printed and
    // nowhere else, and nothing waits on the way: not in the mailbox, the
    // Inbox, In/ or the record of pending moves.
    void verifyFiledOnce(const DovecotServer& pop, int count) const;
};

// How often each token occurs in the text of the PDFs in the folder, in the
// tokens' order; empty when a PDF cannot be read.
[[nodiscard]] QList<int> timesPrinted(const QString& folder, const QStringList& tokens);

// How many deliveries are the receipt of the TORVEX with that subject.
[[nodiscard]] int receiptsFor(const QList<SmtpTestServer::Delivery>& deliveries, const QString& subject);
// The receipt of TORVEX n of the batch arrived expected(n) times, to the
// batch's sender, and nothing else did.
void verifyReceipts(const QList<SmtpTestServer::Delivery>& deliveries, int count,
                    const std::function<int(int)>& expected);

}  // namespace torvex::test
