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

QString lines(const QStringList& list)
{
    return list.join(QStringLiteral("\r\n"));
}

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

QString header(const QString& subjectLine, const QString& contentType = QStringLiteral(
                   "Content-Type: multipart/report; report-type=disposition-notification;"))
{
    return lines({QStringLiteral("To:sender@example.org"), QStringLiteral("From:user@torvex.net"),
                  QStringLiteral("Date:03/05/2024 02:07:09 PM"), QStringLiteral("X-VX-PageCount: 3"),
                  QStringLiteral("X-VX-Original-Id: "),
                  QStringLiteral("Message-Id: MDN.20240305140709.user@torvex.net"), subjectLine,
                  QStringLiteral("MIME-Version: 1.0"), contentType,
                  QStringLiteral("     boundary = \"") + kB + QStringLiteral("\""), QString(),
                  QStringLiteral("--") + kB, QString(), QString()});
}

QString machinePartStart()
{
    return lines({QStringLiteral("--") + kB, QStringLiteral("content-type: message/disposition-notification"),
                  QString(), QStringLiteral("Reporting-UA: user@torvex.net; TORVEX Print Utility ") + QLatin1String(kTorvexVersion),
                  QStringLiteral("Original-Recipient: rfc822;user@torvex.net"),
                  QStringLiteral("Final-Recipient: rfc822;user@torvex.net"),
                  QStringLiteral("Original-Message-ID: <abc@example.org>"), QString()});
}

QString thirdPart()
{
    return lines({QStringLiteral("--") + kB, QStringLiteral("content-type: message/rfc822"), QString(),
                  QString()})
        + QStringLiteral("From: sender@example.org\r\nSubject: Quarterly figures\r\n\r\n")
        + QStringLiteral("\tFAX.TIF\tValid TORVEX Format\r\n") + QStringLiteral("\r\n--") + kB
        + QStringLiteral("--\r\n\r\n.\r\n");
}

// Header, first part and the start of the second part of a "Failed" receipt.
QString failedStart()
{
    return header(QStringLiteral("Subject: RE: Quarterly figures : TORVEX confirmation."))
        + QStringLiteral("The TORVEX sent on Tue, 5 Mar 2024 10:00:00 +0100 to user@torvex.net with "
                         "the subject \"Quarterly figures\" could not be processed.\r\n"
                         "Process report - \r\n\tFAX.TIF\tValid TORVEX Format\r\n\r\n\r\n")
        + machinePartStart();
}

const QString kProcessedText = QStringLiteral(
    "The TORVEX sent on Tue, 5 Mar 2024 10:00:00 +0100 to user@torvex.net with the subject "
    "\"Quarterly figures\" has been processed.\r\n"
    "This is not a guarantee that the message has been read or understood.\r\n"
    "For more information WWW.TORVEX.NET.\r\n\r\n");

}  // namespace

class TestMdnCompose : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void processedFullMode()
    {
        const QString expected =
            header(QStringLiteral("Subject: RE: Quarterly figures : TORVEX confirmation.")) + kProcessedText
            + machinePartStart()
            + lines({QStringLiteral("Disposition: automatic-action/MDN-sent-automatically; "),
                     QStringLiteral("                Processed / G3Fax-report-request"),
                     QStringLiteral("G3Fax-Report:G3Fax-Results=00;G3Fax-Pages=3"), QString(), QString()})
            + thirdPart();
        QCOMPARE(composeMdnText(request(ReceiptDisposition::Processed, true),
                                QStringLiteral("sender@example.org"), kAddr, kNow, kNow),
                 expected);
    }

    void failedWithoutFullMode()
    {
        const QString expected =
            failedStart()
            + lines({QStringLiteral("Disposition: automatic-action/MDN-sent-automatically; Failed"),
                     QStringLiteral("Failure: Unprintable File(s)"),
                     QStringLiteral("Accept-Features: ua-media=stationary;paper-size=letter;grey=2;"
                                    "dpi-x=300;dpi-y=300"),
                     QString(), QString()})
            + thirdPart();
        QCOMPARE(composeMdnText(request(ReceiptDisposition::Failed, false),
                                QStringLiteral("sender@example.org"), kAddr, kNow, kNow),
                 expected);
    }

    void failedFullModeResults()
    {
        const QString start =
            failedStart()
            + lines({QStringLiteral("Disposition: automatic-action/MDN-sent-automatically; "),
                     QStringLiteral("                Failed / G3Fax-report-request"), QString()});
        ReceiptRequest unprintable = request(ReceiptDisposition::Failed, true);
        QCOMPARE(composeMdnText(unprintable, QStringLiteral("sender@example.org"), kAddr, kNow, kNow),
                 start
                     + lines({QStringLiteral("G3Fax-Report:G3Fax-Results=02;G3Fax-t30frame:"
                                             "G3Fax-frame=40,373635342033323332203330;"),
                              QStringLiteral("               G3Fax-frame=80,004372"), QString()})
                     + thirdPart());
        ReceiptRequest systemError = unprintable;
        systemError.failureText = QStringLiteral("System Error");
        QCOMPARE(composeMdnText(systemError, QStringLiteral("sender@example.org"), kAddr, kNow, kNow),
                 start + QStringLiteral("G3Fax-Report:G3Fax-Results=01\r\n") + thirdPart());
    }

    void capabilitiesRequestHasTwoParts()
    {
        const QString expected =
            header(QStringLiteral("Subject: RE: Quarterly figures"))
            + QStringLiteral("The TORVEX sent on Tue, 5 Mar 2024 10:00:00 +0100 to user@torvex.net with "
                             "the subject \"Quarterly figures\" has been processed in Internet FAX Full "
                             "Mode.\r\n\r\n")
            + machinePartStart()
            + lines({QStringLiteral("Disposition: automatic-action/MDN-sent-automatically;"),
                     QStringLiteral("        processed / G3Fax-capability-request"),
                     QStringLiteral("G3Fax-t30frame:G3Fax-frame=40,373635342033323332203330;"),
                     QStringLiteral("        G3Fax-frame=80,004372"), QString(), QString()})
            + QStringLiteral("--") + kB + QStringLiteral("--\r\n\r\n.\r\n");
        QCOMPARE(composeMdnText(request(ReceiptDisposition::CapsRequest, true),
                                QStringLiteral("sender@example.org"), kAddr, kNow, kNow),
                 expected);
    }

    void faxToMakesItAFaxMessage()
    {
        ReceiptRequest r = request(ReceiptDisposition::Processed, false);
        r.faxTo = QStringLiteral("fax@example.org");
        const QString text = composeMdnText(r, QStringLiteral("sender@example.org"), kAddr, kNow, kNow);
        QVERIFY(text.contains(QStringLiteral("\r\nMIME-Version: 1.0\r\nContent-Type: message/fax\r\n"
                                             "     boundary = \"")
                              + kB + QStringLiteral("\"\r\n\r\n")));
        QVERIFY(!text.contains(QStringLiteral("multipart/report")));
        QVERIFY(text.contains(QStringLiteral(
            "Disposition: automatic-action/MDN-sent-automatically; Processed\r\nAccept-Features: ")));
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
        QCOMPARE(courtesyLine(), courtesy);
        const QString seven = QStringLiteral("\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
        const QString expected =
            QStringLiteral("To: <user@torvex.net>\r\n"
                           "Message-Id: <VXTEST.20240305140709.user@torvex.net>\r\n"
                           "Date: 03/05/2024 02:07:09 PM\r\n"
                           "Subject: Test TORVEX\r\n\r\n")
            + courtesy + seven + QStringLiteral("             WELCOME TO THE WONDERFULL WORLD OF TORVEX")
            + seven + courtesy + QStringLiteral("\r\n\r\n.\r\n");
        QCOMPARE(ComposeTestTorvex(kAddr, kAddr, kNow), expected);
        QVERIFY(!expected.contains(QStringLiteral("From:")));
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
