#include "platform/maildir/maildir_store.h"
#include "platform/mail/mail_text.h"
#include "printutil/decode/inbox_file.h"
#include "printutil/mailbox/maildir_mailbox.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <memory>

using namespace torvex;

class TestMaildirMailbox : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        env_ = std::make_unique<test::TestEnv>();
        QVERIFY(QDir().mkpath(env_->path(QStringLiteral("profiles/TORVEX"))));
        mailbox_ = std::make_unique<MaildirMailboxSystem>(env_->home());
    }
    void cleanup()
    {
        mailbox_.reset();
        env_.reset();
    }

    void logOnNeedsAnExistingProfile()
    {
        QVERIFY(!mailbox_->SessionLogIn(QStringLiteral("Nobody")));
        QVERIFY(!mailbox_->SessionLogIn(QStringLiteral("torvex")));  // names are exact
        QVERIFY(!mailbox_->SessionLogIn(QStringLiteral("..")));
        QVERIFY(!mailbox_->SessionLogIn(QString()));
        QVERIFY(!mailbox_->Inbox());
        QVERIFY(mailbox_->SessionLogIn(QStringLiteral("TORVEX")));
        QCOMPARE(mailbox_->sessionName(), QStringLiteral("TORVEX"));
        // The profile folder became a Maildir.
        QVERIFY(QFileInfo(env_->path(QStringLiteral("profiles/TORVEX/new"))).isDir());
        QVERIFY(mailbox_->Inbox());
        mailbox_->Logoff();
        QVERIFY(!mailbox_->Inbox());
        QVERIFY(!mailbox_->GetMessage(QStringLiteral("INBOX/x")));
    }

    void profileMayNameAnotherMaildir()
    {
        const QString elsewhere = env_->path(QStringLiteral("home-maildir"));
        env_->writeFile(QStringLiteral("profiles/Home/profile.ini"),
                        "[Profile]\nMaildir=" + elsewhere.toUtf8() + "\n");
        QVERIFY(mailbox_->SessionLogIn(QStringLiteral("Home")));
        QVERIFY(!mailbox_->Inbox());  // a Maildir that is not there is not made up
        QVERIFY(QDir().mkpath(elsewhere));
        QVERIFY(mailbox_->SessionLogIn(QStringLiteral("Home")));
        QVERIFY(mailbox_->Inbox());
        QVERIFY(QFileInfo(elsewhere + QStringLiteral("/cur")).isDir());
        QVERIFY(!QFileInfo(env_->path(QStringLiteral("profiles/Home/cur"))).exists());
    }

    // What the decoder adds comes back exactly as it was given.
    void decodedMessageRoundTrips()
    {
        QVERIFY(mailbox_->SessionLogIn(QStringLiteral("TORVEX")));
        env_->writeFile(QStringLiteral("temp/fax.tif"), QByteArray("II*\0binary\r\n\0\xff", 15));
        env_->writeFile(QStringLiteral("temp/empty.txt"), QByteArray());
        NewInboxMessage message;
        message.subject = QStringLiteral("Fax \u00fcber 3 Seiten From: Office <s@example.org>");
        message.senderName = QStringLiteral("Office <s@example.org>");
        message.text = QStringLiteral("+OK 120 octets") + kCrLf + QStringLiteral("From: x") + kCrLf + kCrLf
            + QStringLiteral(".hidden") + kCrLf + QStringLiteral(".") + kCrLf + QStringLiteral("lone\nLF ") ;
        message.timeSent = QDateTime(QDate(2024, 3, 5), QTime(10, 20, 30), QTimeZone(3600));
        message.timeReceived = QDateTime(QDate(2024, 3, 5), QTime(11, 0, 0), QTimeZone(0));
        message.recipients = {QStringLiteral("SMTP:user@torvex.net")};
        message.attachments = {{QStringLiteral("fax.tif;"), env_->path(QStringLiteral("temp/fax.tif"))},
                               {QStringLiteral("../../evil.txt;quoted-printable"), env_->path(QStringLiteral("temp/empty.txt"))},
                               {QStringLiteral("gone.txt;"), env_->path(QStringLiteral("temp/missing"))}};
        QVERIFY(mailbox_->addToInbox(message));

        auto inbox = mailbox_->Inbox();
        QCOMPARE(inbox->MessageCount(), 1);
        auto stored = inbox->Message(1);
        QVERIFY(stored);
        QCOMPARE(stored->Type(), QStringLiteral("IPM.Note"));
        QCOMPARE(stored->Text(), withCrLfExpected(message.text));
        QCOMPARE(stored->Subject(), message.subject);
        QCOMPARE(stored->SenderAddress(), QStringLiteral("s@example.org"));
        QCOMPARE(stored->TimeSent(), message.timeSent);
        QCOMPARE(stored->TimeReceived(), message.timeReceived);
        QCOMPARE(stored->RecipientNames(), message.recipients);
        QCOMPARE(stored->AttachmentCount(), 3);
        QCOMPARE(stored->AttachmentName(1), QStringLiteral("fax.tif;"));
        QCOMPARE(stored->AttachmentName(2), QStringLiteral("../../evil.txt;quoted-printable"));
        QCOMPARE(stored->AttachmentSource(2), QStringLiteral("evil.txt"));
        const QString out = env_->path(QStringLiteral("out.bin"));
        QVERIFY(stored->WriteAttachmentToFile(1, out));
        QCOMPARE(env_->readFile(QStringLiteral("out.bin")), QByteArray("II*\0binary\r\n\0\xff", 15));
        QVERIFY(stored->WriteAttachmentToFile(3, out));
        QCOMPARE(env_->readFile(QStringLiteral("out.bin")), QByteArray());
        QVERIFY(!stored->WriteAttachmentToFile(4, out));
        QVERIFY(stored->Field(31).startsWith(QStringLiteral("From: Office <s@example.org>\r\n")));
        QVERIFY(stored->Field(31).endsWith(QStringLiteral("\r\n\r\n")));
    }

    // The file is ordinary mail: another MIME reader sees the same parts.
    void storedFileIsReadableByOtherMailReaders()
    {
        env_->writeFile(QStringLiteral("temp/fax.tif"), QByteArray(3000, '\x55'));
        NewInboxMessage message;
        message.subject = QStringLiteral("Gr\u00fc\u00dfe");
        message.senderName = QStringLiteral("<s@example.org>");
        message.text = QStringLiteral("Hello") + kCrLf;
        message.recipients = {QStringLiteral("SMTP:user@torvex.net")};
        message.attachments = {{QStringLiteral("fax.tif;"), env_->path(QStringLiteral("temp/fax.tif"))}};
        QFile mail(env_->path(QStringLiteral("mail.eml")));
        QVERIFY(mail.open(QIODevice::WriteOnly) && writeInboxFile(message, mail));
        mail.close();
        QProcess python;
        python.start(QStringLiteral("python3"),
                     {QStringLiteral("-c"),
                      QStringLiteral("import email, email.policy, sys\n"
                                     "m = email.message_from_binary_file(open(sys.argv[1], 'rb'), policy=email.policy.default)\n"
                                     "print(m['Subject'])\n"
                                     "print(m['To'])\n"
                                     "print(m.get_body(('plain',)).get_content().strip())\n"
                                     "for a in m.iter_attachments():\n"
                                     "    print(a.get_filename(), a.get_content_type(), len(a.get_content()))\n"),
                      env_->path(QStringLiteral("mail.eml"))});
        QVERIFY(python.waitForFinished());
        QCOMPARE(python.exitCode(), 0);
        const QStringList lines = QString::fromUtf8(python.readAllStandardOutput()).split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), QStringLiteral("Gr\u00fc\u00dfe"));
        QCOMPARE(lines.value(1), QStringLiteral("user@torvex.net"));
        QCOMPARE(lines.value(2), QStringLiteral("Hello"));
        QCOMPARE(lines.value(3), QStringLiteral("fax.tif image/tiff 3000"));
    }

    // Mail another program delivered: LF line ends, quoted-printable text,
    // an HTML alternative, an RFC 2231 file name and a nameless image.
    void plainMailFromElsewhere()
    {
        QVERIFY(mailbox_->SessionLogIn(QStringLiteral("TORVEX")));
        const QByteArray mail =
            "Received: from mx by host; Tue, 5 Mar 2024 12:00:00 +0000\n"
            "From: \"Sender, Office\" <sender@example.org>\n"
            "To: Fax User <user@torvex.net>, other@example.org\n"
            "Cc: =?utf-8?Q?J=C3=BCrgen?= <j@example.org>\n"
            "Subject: =?iso-8859-1?Q?Gr=FC=DFe?= aus\n"
            " Berlin\n"
            "Date: Tue, 5 Mar 2024 10:20:30 +0100\n"
            "MIME-Version: 1.0\n"
            "Content-Type: multipart/mixed; boundary=outer\n"
            "\n"
            "--outer\n"
            "Content-Type: multipart/alternative; boundary=\"inner\"\n"
            "\n"
            "--inner\n"
            "Content-Type: text/plain; charset=utf-8\n"
            "Content-Transfer-Encoding: quoted-printable\n"
            "\n"
            "Line one=\n"
            " continued\n"
            "..dots stay =C3=BC\n"
            "--inner\n"
            "Content-Type: text/html\n"
            "\n"
            "<p>Line one</p>\n"
            "--inner--\n"
            "--outer\n"
            "Content-Type: application/octet-stream\n"
            "Content-Disposition: attachment; filename*=utf-8''Seite%20%C3%BC.tif\n"
            "Content-Transfer-Encoding: base64\n"
            "\n"
            "SUkqAA==\n"
            "--outer\n"
            "Content-Type: image/jpeg\n"
            "\n"
            "raw\n"
            "--outer--\n";
        QVERIFY(deliverToMaildir(MaildirFolder(env_->path(QStringLiteral("profiles/TORVEX")), {}), mail));
        auto inbox = mailbox_->Inbox();
        QCOMPARE(inbox->MessageCount(), 1);
        auto stored = inbox->Message(1);
        QCOMPARE(stored->Text(), QStringLiteral("Line one continued\r\n..dots stay \u00fc"));
        QCOMPARE(stored->Subject(), QStringLiteral("Gr\u00fc\u00dfe aus Berlin"));
        QCOMPARE(stored->SenderAddress(), QStringLiteral("sender@example.org"));
        QCOMPARE(stored->RecipientNames(),
                 (QStringList{QStringLiteral("Fax User <user@torvex.net>"), QStringLiteral("other@example.org"),
                              QStringLiteral("J\u00fcrgen <j@example.org>")}));
        QCOMPARE(stored->TimeSent(), QDateTime(QDate(2024, 3, 5), QTime(10, 20, 30), QTimeZone(3600)));
        QCOMPARE(stored->TimeReceived(), QDateTime(QDate(2024, 3, 5), QTime(12, 0, 0), QTimeZone(0)));
        QCOMPARE(stored->AttachmentCount(), 2);
        QCOMPARE(stored->AttachmentName(1), QStringLiteral("Seite \u00fc.tif"));
        QCOMPARE(stored->AttachmentSource(1), QStringLiteral("Seite \u00fc.tif"));
        QCOMPARE(stored->AttachmentName(2), QStringLiteral("UNKNOWN.JPE"));
        const QString out = env_->path(QStringLiteral("a.tif"));
        QVERIFY(stored->WriteAttachmentToFile(1, out));
        QCOMPARE(env_->readFile(QStringLiteral("a.tif")), QByteArray("II*\0", 4));
    }

private:
    static QString withCrLfExpected(const QString& text)
    {
        QString expected = text;
        return expected.replace(QStringLiteral("lone\nLF"), QStringLiteral("lone\r\nLF"));
    }

    std::unique_ptr<test::TestEnv> env_;
    std::unique_ptr<MaildirMailboxSystem> mailbox_;
};

QTEST_GUILESS_MAIN(TestMaildirMailbox)
#include "tst_maildir_mailbox.moc"
