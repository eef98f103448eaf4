// A run that ends (killed, power lost) after printing but before filing
// leaves its moves in the profile's journal; the next run files those
// messages first and prints only what the ended run had not.
#include "common/telvane_info.h"
#include "printutil/maildir_mailbox.h"
#include "printutil/move_list.h"
#include "tests/support/pdf_reader.h"
#include "tests/support/test_env.h"
#include "tools/sample_inbox.h"

#include <QDir>
#include <QtTest>

#include <memory>

using namespace torvex;

namespace {

const QString kUser = QStringLiteral("user@torvex.net");

}  // namespace

class TestInterruptedRun : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        env_ = std::make_unique<test::TestEnv>();
        QVERIFY(QDir().mkpath(env_->path(QStringLiteral("profiles/TORVEX"))));
        writeTorvexKey(QStringLiteral("Torvex_Profile"), QStringLiteral("TORVEX"));
        writeTorvexKey(QStringLiteral("Torvex_Addr"), kUser);
        writeTorvexKey(QStringLiteral("Printer_Type"), QStringLiteral("TORVEX PDF"));
        mailbox_ = std::make_unique<MaildirMailboxSystem>(env_->home());
        QVERIFY(mailbox_->SessionLogIn(QStringLiteral("TORVEX")));
        for (int n = 1; n <= 3; ++n) {
            tools::SampleTorvex sample;
            sample.to = kUser;
            sample.subject = QStringLiteral("Fax number %1").arg(n);
            sample.body = QStringLiteral("Body of fax number %1\r\n").arg(n);
            QVERIFY(tools::addSampleTorvex(*mailbox_, sample, env_->path(QStringLiteral("work"))));
        }
        std::unique_ptr<MailFolder> root = mailbox_->RootFolder();
        std::unique_ptr<MailFolder> torvexes;
        std::unique_ptr<MailFolder> folder;
        QVERIFY(!GetFolderID(QStringLiteral("TORVEXes"), *root, torvexes).isEmpty());
        printedId_ = GetFolderID(QStringLiteral("Printed"), *torvexes, folder);
        QVERIFY(!printedId_.isEmpty());
        inbox_ = mailbox_->Inbox();
        QCOMPARE(inbox_->MessageCount(), 3);
    }
    void cleanup()
    {
        inbox_.reset();
        mailbox_.reset();
        env_.reset();
    }

    void nextRunFilesWhatTheEndedRunPrinted()
    {
        // What a run ended after printing the first two leaves behind.
        {
            MoveList ended(mailbox_->pendingMovesPath());
            for (int n = 1; n <= 2; ++n) {
                std::unique_ptr<MailMessage> message = inbox_->Message(n);
                QVERIFY(message->markRead());
                ended.add(printedId_, message->ID());
            }
        }
        QVERIFY(QFileInfo::exists(mailbox_->pendingMovesPath()));

        runAndCheck(QStringLiteral("1,0,0,0"));
        const QString printed = test::printedText(env_->path(QStringLiteral("Printouts")));
        QVERIFY2(printed.contains(QStringLiteral("Body of fax number 3")), qPrintable(printed));
        QVERIFY(!printed.contains(QStringLiteral("Body of fax number 1")));
        QVERIFY(!printed.contains(QStringLiteral("Body of fax number 2")));
    }

    void cutLastLineIsPassedOver()
    {
        std::unique_ptr<MailMessage> first = inbox_->Message(1);
        std::unique_ptr<MailMessage> second = inbox_->Message(2);
        const QByteArray whole = QUrl::toPercentEncoding(printedId_) + ' ' + QUrl::toPercentEncoding(first->ID()) + '\n';
        const QByteArray cut = QUrl::toPercentEncoding(printedId_) + ' ' + QUrl::toPercentEncoding(second->ID()).left(5);
        env_->writeFile(mailbox_->pendingMovesPath(), whole + cut);

        QCOMPARE(MoveList::replayJournal(mailbox_->pendingMovesPath(), *mailbox_), 1);
        QVERIFY(!QFileInfo::exists(mailbox_->pendingMovesPath()));
        QCOMPARE(inbox_->MessageCount(), 2);
        QVERIFY(mailbox_->GetMessage(second->ID()));
    }

    void finishedMovesRemoveTheJournal()
    {
        MoveList moves(mailbox_->pendingMovesPath());
        moves.add(printedId_, inbox_->Message(1)->ID());
        QVERIFY(QFileInfo::exists(mailbox_->pendingMovesPath()));
        QCOMPARE(moves.execute(*mailbox_), 1);
        QVERIFY(!QFileInfo::exists(mailbox_->pendingMovesPath()));
        // Nothing is left for the next run to file again.
        QCOMPARE(MoveList::replayJournal(mailbox_->pendingMovesPath(), *mailbox_), 0);
        QCOMPARE(inbox_->MessageCount(), 2);
    }

private:
    void runAndCheck(const QString& session)
    {
        const test::ProcessResult run = test::runProgram(QStringLiteral("vxprintu"), {QStringLiteral("/6")}, 120000);
        QVERIFY2(run.finished && run.exitCode == 0, run.err.constData());
        QCOMPARE(readTorvexKey(QStringLiteral("session")), session);
        QCOMPARE(inbox_->MessageCount(), 0);
        QVERIFY(!QFileInfo::exists(mailbox_->pendingMovesPath()));
        const QDir printed(env_->path(QStringLiteral("profiles/TORVEX/.TORVEXes.Printed/cur")));
        const QDir printedNew(env_->path(QStringLiteral("profiles/TORVEX/.TORVEXes.Printed/new")));
        QCOMPARE(printed.entryList(QDir::Files).size() + printedNew.entryList(QDir::Files).size(), 3);
    }

    std::unique_ptr<test::TestEnv> env_;
    std::unique_ptr<MaildirMailboxSystem> mailbox_;
    std::unique_ptr<MailFolder> inbox_;
    QString printedId_;
};

QTEST_GUILESS_MAIN(TestInterruptedRun)
#include "tst_interrupted_run.moc"
