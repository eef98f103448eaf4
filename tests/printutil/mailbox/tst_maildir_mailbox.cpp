#include "platform/maildir/maildir_store.h"
#include "platform/mail/mail_text.h"
#include "printutil/decode/inbox_file.h"
#include "printutil/mailbox/maildir_mailbox.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
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

    // What the decoder adds comes back exactly as it was given, and the file
    // is ordinary mail: another MIME reader sees the same parts.
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
        // A lone LF comes back as a line end.
        QCOMPARE(stored->Text(), QString(message.text).replace(QStringLiteral("lone\nLF"), QStringLiteral("lone\r\nLF")));
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

        const MaildirFolder folder(env_->path(QStringLiteral("profiles/TORVEX")), {});
        QProcess python;
        python.start(QStringLiteral("python3"),
                     {QStringLiteral("-c"),
                      QStringLiteral("import email, email.policy, json, sys\n"
                                     "m = email.message_from_binary_file(open(sys.argv[1], 'rb'), policy=email.policy.default)\n"
                                     "print(json.dumps([m['Subject'], m['To'], m.get_body(('plain',)).get_content()]\n"
                                     "                 + [[a.get_filename(), a.get_content_type(), len(a.get_content())]\n"
                                     "                    for a in m.iter_attachments()]))\n"),
                      folder.filePath(folder.messages().front())});
        QVERIFY(python.waitForFinished());
        QCOMPARE(python.exitCode(), 0);
        const QJsonArray seen = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
        QCOMPARE(seen.toVariantList(),
                 (QVariantList{message.subject, QStringLiteral("user@torvex.net"), message.text,
                               QVariantList{QStringLiteral("fax.tif"), QStringLiteral("image/tiff"), 15},
                               QVariantList{QStringLiteral("evil.txt"), QStringLiteral("text/plain"), 0},
                               QVariantList{QStringLiteral("gone.txt"), QStringLiteral("text/plain"), 0}}));
    }

private:
    std::unique_ptr<test::TestEnv> env_;
    std::unique_ptr<MaildirMailboxSystem> mailbox_;
};

QTEST_GUILESS_MAIN(TestMaildirMailbox)
#include "tst_maildir_mailbox.moc"
