#pragma once

#include "tests/support/smtp_test_server.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace torvex::test {

// What whole runs delivered, counted for the tests that want everything
// exactly once: printouts, filed messages and receipts, each found by a
// token or subject unique to one TORVEX.

// The message files of one Maildir folder (new/ and cur/).
[[nodiscard]] QStringList maildirMessageFiles(const QString& folder);

// How often each token occurs in the text of the PDFs in the folder; none
// when a PDF cannot be read.
[[nodiscard]] std::optional<QMap<QString, int>> tokenCountsInPrintouts(const QString& folder,
                                                                       const QStringList& tokens);

// For each token, the Maildir++ folders under the profile's Maildir
// (".TORVEXes.Printed", ...) holding a message with it, once per message.
[[nodiscard]] QMap<QString, QStringList> foldersHolding(const QString& maildirRoot, const QStringList& tokens);

// How many deliveries are the receipt of the TORVEX with that subject.
[[nodiscard]] int receiptsFor(const QList<SmtpTestServer::Delivery>& deliveries, const QString& subject);

}  // namespace torvex::test
