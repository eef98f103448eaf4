#pragma once

#include "receipt_request.h"

#include <QDateTime>
#include <QString>

namespace torvex {

// The receipt (RFC 2298 message disposition notification with the G3Fax
// fields of the Internet fax standards) for one received TORVEX.

inline constexpr auto kReceiptUserAgent = "TORVEX Print Utility";

// The disposition as the receipt and the log name it: "Processed",
// "Failed", "CapsRequest".
[[nodiscard]] QString dispositionText(ReceiptDisposition disposition);

// ">>>>A_PERFECTLY_TORVEX<<courtesy>>" + the service's web host in capitals + "<<<<".
[[nodiscard]] QString receiptBoundary();

// The receipt text, ending with the SMTP end-of-data line. recipient is
// gSMTPRecipAddr, torvexAddr the user's Torvex_Addr, now the moment of
// composing (its Date), named the second its Message-Id carries (that of
// its file name, unique to this receipt). Values taken from the received
// message are put on one line each, so none of them can add header lines.
[[nodiscard]] QString composeMdnText(const ReceiptRequest& request, const QString& recipient,
                                     const QString& torvexAddr, const QDateTime& now,
                                     const QDateTime& named);

// "mm/dd/yyyy hh:mm:ss AMPM", the date form of the composed messages.
[[nodiscard]] QString messageDateText(const QDateTime& when);

// "yyyymmddhhnnss", used in message ids and receipt file names.
[[nodiscard]] QString timeStamp(const QDateTime& when);

}  // namespace torvex
