// The demo's faxes go the whole way a user sees: Dovecot, the print
// utility, the PDF printer, the folders and the receipt by SMTP.
#include "common/telvane_info.h"
#include "platform/maildir/maildir_store.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/pdf_reader.h"
#include "tests/support/smtp_test_server.h"
#include "tests/support/test_env.h"
#include "tools/demo_faxes.h"

#include <QDir>
#include <QtTest>

#include <algorithm>

using namespace torvex;

class TestDemoFaxes : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyFaxPageIsPrintedAndTheReceiptGoesOut()
    {
        if (!test::DovecotServer::available())
            QSKIP("dovecot is not installed (tools/debian-packages.txt lists dovecot-pop3d)");
        if (!test::SmtpTestServer::available())
            QSKIP("python3-aiosmtpd is not installed");
        test::TestEnv env;
        test::DovecotServer pop;
        QVERIFY2(pop.start(), qPrintable(pop.log()));
        test::SmtpTestServer smtp;
        QVERIFY(smtp.start());
        const QString user = pop.user() + QStringLiteral("@127.0.0.1");

        const std::vector<tools::DemoFax> faxes = tools::demoFaxes(user, QStringLiteral("127.0.0.1"));
        QCOMPARE(faxes.size(), size_t(5));
        QList<int> faxPages;
        for (const tools::DemoFax& fax : faxes) {
            QVERIFY(!pop.deliver(tools::composeInternetFax(fax.mail)).isEmpty());
            if (fax.faxPages > 0)
                faxPages << fax.faxPages;
        }
        QVERIFY(QDir().mkpath(env.path(QStringLiteral("profiles/TORVEX"))));
        env.writeFile(env.iniPath(), "[TORVEX]\nTorvex_Addr=" + user.toUtf8() + "\nPassword=" + pop.password().toUtf8()
                                         + "\nTorvex_Profile=TORVEX\nPrinter_Type=TORVEX PDF\nPrint_Simple_Header=y\n"
                                           "wake_probes=0\nConfirm_Receipt=y\nSave_MDNs=y\nVX_SMTP_Server=\n"
                                           "Last_Resort_SMTP_Server=\n");

        const test::ProcessResult run = test::runProgram(
            QStringLiteral("vxprintu"), {QStringLiteral("/0")}, 180000,
            {QStringLiteral("TORVEX_POP3_PORT=%1").arg(pop.port()), QStringLiteral("TORVEX_SMTP_PORT=%1").arg(smtp.port())});
        QVERIFY2(run.finished && run.exitCode == 0, run.err.constData());
        QCOMPARE(readTorvexKey(QStringLiteral("session")), QStringLiteral("5,0,0,0"));
        QCOMPARE(readTorvexKey(QStringLiteral("last_error"), QStringLiteral("absent")), QString());

        // Fax images print as pages without text; their jobs hold exactly
        // the pages of each fax file. Header pages carry every subject.
        const QDir printouts(env.path(QStringLiteral("Printouts")));
        QList<int> imageJobs;
        QString text;
        for (const QString& name : printouts.entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name)) {
            const QString pdf = printouts.filePath(name);
            const QString pageText = test::pdfText(pdf).value_or(QString()).simplified();
            if (pageText.isEmpty())
                imageJobs << test::pdfPageCount(pdf);
            text += pageText + QLatin1Char(' ');
        }
        std::sort(imageJobs.begin(), imageJobs.end());
        std::sort(faxPages.begin(), faxPages.end());
        QCOMPARE(imageJobs, faxPages);
        for (const tools::DemoFax& fax : faxes)
            QVERIFY2(text.contains(fax.mail.subject), qPrintable(fax.mail.subject));
        QVERIFY2(text.contains(QStringLiteral("Urgent deliveries: call the depot.")), qPrintable(text));

        QCOMPARE(MaildirFolder(env.path(QStringLiteral("profiles/TORVEX")),
                               {QStringLiteral("TORVEXes"), QStringLiteral("Printed")})
                     .messages()
                     .size(),
                 size_t(5));
        QVERIFY(pop.messages().isEmpty());

        // Only the contract asked for a receipt, with the G3Fax report.
        const QList<test::SmtpTestServer::Delivery> receipts = smtp.deliveries();
        QCOMPARE(receipts.size(), 1);
        QCOMPARE(receipts.front().rcptTo, QStringList({QStringLiteral("contracts@127.0.0.1")}));
        QVERIFY(receipts.front().content.contains("Disposition: automatic-action/MDN-sent-automatically"));
        QVERIFY2(receipts.front().content.contains("G3Fax-Pages=2"), receipts.front().content.constData());
        QCOMPARE(QDir(env.path(QStringLiteral("MDNs"))).entryList(QDir::Files).size(), 1);
    }
};

QTEST_MAIN(TestDemoFaxes)
#include "tst_demo_faxes.moc"
