#include "common/version.h"
#include "platform/mail/mail_header.h"
#include "printutil/receipt/mdn_compose.h"
#include "printutil/receipt/test_message.h"

#include <QtTest>

using namespace torvex;

namespace {

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));
const QString kAddr = QStringLiteral("user@torvex.net");
const QString kB = QStringLiteral(">>>>A_PERFECTLY_TORVEX<<courtesy>>WWW.TORVEX.NET<<<<");

ReceiptRequest request(ReceiptDisposition disposition, bool fullMode)
{
    ReceiptRequest r;
    r.disposition = disposition;
    r.fullMode = fullMode;
    r.recipient = QStringLiteral("sender@example.org");
    r.subject = QStringLiteral("Quarterly figures");
    r.sentDate = QStringLiteral("Tue, 5 Mar 2024 10:00:00 +0100");
    r.receivedId = QStringLiteral("<abc@example.org>");
    r.fullHeader = QStringLiteral("From: sender@example.org\r\nSubject: Quarterly figures\r\n\r\n");
    r.statusLines = QStringLiteral("\tFAX.TIF\tValid TORVEX Format\r\n");
    r.pageCount = QStringLiteral(" 3");
    if (disposition == ReceiptDisposition::Failed) {
        r.failureText = QStringLiteral("Unprintable File(s)");
        r.report = QStringLiteral("Process report - \r\n") + r.statusLines;
    }
    return r;
}

// The receipt's header and the start of its first part.
QString header(const QString& subject, const QString& contentType = QStringLiteral(
                   "multipart/report; report-type=disposition-notification;"))
{
    return QStringLiteral("To:sender@example.org\r\nFrom:user@torvex.net\r\nDate:03/05/2024 02:07:09 PM\r\n"
                          "X-VX-PageCount: 3\r\nX-VX-Original-Id: \r\n"
                          "Message-Id: MDN.20240305140709.user@torvex.net\r\nSubject: RE: Quarterly figures")
        + subject + QStringLiteral("\r\nMIME-Version: 1.0\r\nContent-Type: ") + contentType
        + QStringLiteral("\r\n     boundary = \"") + kB + QStringLiteral("\"\r\n\r\n--") + kB + QStringLiteral("\r\n\r\n");
}

const QString kSent = QStringLiteral("The TORVEX sent on Tue, 5 Mar 2024 10:00:00 +0100 to user@torvex.net with the "
                                     "subject \"Quarterly figures\" ");
const QString kProcessed = kSent + QStringLiteral(
    "has been processed.\r\nThis is not a guarantee that the message has been read or understood.\r\n"
    "For more information WWW.TORVEX.NET.\r\n\r\n");
const QString kFailed = kSent + QStringLiteral("could not be processed.\r\nProcess report - \r\n"
                                               "\tFAX.TIF\tValid TORVEX Format\r\n\r\n\r\n");
const QString kMachinePart = QStringLiteral("--") + kB + QStringLiteral(
    "\r\ncontent-type: message/disposition-notification\r\n\r\n"
    "Reporting-UA: user@torvex.net; TORVEX Print Utility ") + QLatin1String(kTorvexVersion) + QStringLiteral(
    "\r\nOriginal-Recipient: rfc822;user@torvex.net\r\nFinal-Recipient: rfc822;user@torvex.net\r\n"
    "Original-Message-ID: <abc@example.org>\r\nDisposition: automatic-action/MDN-sent-automatically;");
const QString kAcceptFeatures = QStringLiteral(
    "Accept-Features: ua-media=stationary;paper-size=letter;grey=2;dpi-x=300;dpi-y=300\r\n\r\n");
const QString kFrames = QStringLiteral("G3Fax-t30frame:G3Fax-frame=40,373635342033323332203330;\r\n");
const QString kThirdPart = QStringLiteral("--") + kB + QStringLiteral(
    "\r\ncontent-type: message/rfc822\r\n\r\nFrom: sender@example.org\r\nSubject: Quarterly figures\r\n\r\n"
    "\tFAX.TIF\tValid TORVEX Format\r\n\r\n--") + kB + QStringLiteral("--\r\n\r\n.\r\n");

}  // namespace

class TestMdnCompose : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void receiptText_data()
    {
        QTest::addColumn<ReceiptRequest>("request");
        QTest::addColumn<QString>("expected");
        const QString confirmation = QStringLiteral(" : TORVEX confirmation.");
        QTest::newRow("processed, full mode")
            << request(ReceiptDisposition::Processed, true)
            << header(confirmation) + kProcessed + kMachinePart
                   + QStringLiteral(" \r\n                Processed / G3Fax-report-request\r\n"
                                    "G3Fax-Report:G3Fax-Results=00;G3Fax-Pages=3\r\n\r\n")
                   + kThirdPart;
        ReceiptRequest faxTo = request(ReceiptDisposition::Processed, false);
        faxTo.faxTo = QStringLiteral("fax@example.org");
        QTest::newRow("processed, to a fax number")
            << faxTo
            << header(confirmation, QStringLiteral("message/fax")) + kProcessed + kMachinePart
                   + QStringLiteral(" Processed\r\n") + kAcceptFeatures + kThirdPart;
        QTest::newRow("failed")
            << request(ReceiptDisposition::Failed, false)
            << header(confirmation) + kFailed + kMachinePart
                   + QStringLiteral(" Failed\r\nFailure: Unprintable File(s)\r\n") + kAcceptFeatures + kThirdPart;
        const QString fullFailed = header(confirmation) + kFailed + kMachinePart
            + QStringLiteral(" \r\n                Failed / G3Fax-report-request\r\n");
        QTest::newRow("failed, full mode")
            << request(ReceiptDisposition::Failed, true)
            << fullFailed + QStringLiteral("G3Fax-Report:G3Fax-Results=02;") + kFrames
                   + QStringLiteral("               G3Fax-frame=80,004372\r\n") + kThirdPart;
        ReceiptRequest systemError = request(ReceiptDisposition::Failed, true);
        systemError.failureText = QStringLiteral("System Error");
        QTest::newRow("system error, full mode")
            << systemError << fullFailed + QStringLiteral("G3Fax-Report:G3Fax-Results=01\r\n") + kThirdPart;
        QTest::newRow("capabilities request")
            << request(ReceiptDisposition::CapsRequest, true)
            << header(QString()) + kSent + QStringLiteral("has been processed in Internet FAX Full Mode.\r\n\r\n")
                   + kMachinePart + QStringLiteral("\r\n        processed / G3Fax-capability-request\r\n") + kFrames
                   + QStringLiteral("        G3Fax-frame=80,004372\r\n\r\n--") + kB + QStringLiteral("--\r\n\r\n.\r\n");
    }
    void receiptText()
    {
        QFETCH(ReceiptRequest, request);
        QFETCH(QString, expected);
        QCOMPARE(composeMdnText(request, QStringLiteral("sender@example.org"), kAddr, kNow, kNow), expected);
    }

    void receivedValuesCannotAddHeaderLines()
    {
        ReceiptRequest r = request(ReceiptDisposition::Processed, false);
        r.subject = QStringLiteral("Hi\r\nBcc: victim@example.org");
        r.receivedId = QStringLiteral("<id@x>\nDisposition: forged");
        r.sentDate = QStringLiteral("today\r\n\r\n.\r\nRSET");
        const QString text = composeMdnText(r, QStringLiteral("a@example.org\r\nCc: b@example.org"),
                                            kAddr, kNow, kNow);
        QVERIFY(text.startsWith(QStringLiteral("To:a@example.org Cc: b@example.org\r\n")));
        QVERIFY(text.contains(QStringLiteral("\r\nSubject: RE: Hi Bcc: victim@example.org : TORVEX "
                                             "confirmation.\r\n")));
        QVERIFY(text.contains(QStringLiteral("\r\nOriginal-Message-ID: <id@x> Disposition: forged\r\n")));
        QVERIFY(text.contains(QStringLiteral("The TORVEX sent on today . RSET to ")));
        QVERIFY(!text.contains(QStringLiteral("\nBcc:")));
        QVERIFY(!text.contains(QStringLiteral("\nCc:")));
        QVERIFY(!text.contains(QStringLiteral("\nDisposition: forged")));
    }

    void subjectInAnotherScriptIsEncoded()
    {
        ReceiptRequest r = request(ReceiptDisposition::Processed, false);
        r.subject = QStringLiteral("Fax f\u00fcr Sie From: B\u00fcro <b@example.org>");
        const QString text = composeMdnText(r, QStringLiteral("b@example.org"), kAddr, kNow, kNow);
        const qsizetype at = text.indexOf(QStringLiteral("\r\nSubject: ")) + 11;
        const QString subject = text.mid(at, text.indexOf(QStringLiteral("\r\n"), at) - at);
        QVERIFY2(subject.startsWith(QStringLiteral("=?utf-8?B?")), qPrintable(subject));
        QCOMPARE(decodeHeaderText(subject.toLatin1()), QStringLiteral("RE: ") + r.subject + QStringLiteral(" : TORVEX confirmation."));
    }

    void testMessageText()
    {
        const QString courtesy = QStringLiteral(
            ">>>-------This PERFECTLY TORVEX is printed with TORVEX Print from WWW.TORVEX.NET"
            "----------<<<\r\n\r\n");
        const QString seven = QStringLiteral("\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
        const QString expected =
            QStringLiteral("To: <user@torvex.net>\r\n"
                           "Message-Id: <VXTEST.20240305140709.user@torvex.net>\r\n"
                           "Date: 03/05/2024 02:07:09 PM\r\n"
                           "Subject: Test TORVEX\r\n\r\n")
            + courtesy + seven + QStringLiteral("             WELCOME TO THE WONDERFULL WORLD OF TORVEX")
            + seven + courtesy + QStringLiteral("\r\n\r\n.\r\n");
        QCOMPARE(ComposeTestTorvex(kAddr, kAddr, kNow), expected);
    }

    void morningTimesUseTwelveHourClock()
    {
        QCOMPARE(messageDateText(QDateTime(QDate(2023, 12, 31), QTime(0, 5, 0))),
                 QStringLiteral("12/31/2023 12:05:00 AM"));
        QCOMPARE(timeStamp(QDateTime(QDate(2023, 12, 31), QTime(23, 5, 1))), QStringLiteral("20231231230501"));
    }
};

QTEST_GUILESS_MAIN(TestMdnCompose)
#include "tst_mdn_compose.moc"
