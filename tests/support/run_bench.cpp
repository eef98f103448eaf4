#include "run_bench.h"

#include "common/telvane_info.h"
#include "platform/maildir/maildir_message.h"
#include "tests/support/pdf_reader.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QStandardPaths>
#include <QtTest>

namespace torvex::test {
namespace {

// For each token, the Maildir++ folders under the profile's Maildir
// (".TORVEXes.Printed", ...) holding a message with it, once per message.
QMap<QString, QStringList> foldersHolding(const QString& maildirRoot, const QStringList& tokens)
{
    QMap<QString, QStringList> where;
    QDirIterator folders(maildirRoot, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    while (folders.hasNext()) {
        const QString path = folders.next();
        const QString name = QFileInfo(path).fileName();
        if (!name.startsWith(QLatin1Char('.')))
            continue;
        for (const QString& file : maildirMessageFiles(path)) {
            const auto mail = MailFile::read(file);
            for (const QString& token : tokens) {
                if (mail && mail->text().contains(token))
                    where[token] << name;
            }
        }
    }
    return where;
}

}  // namespace

QString missingMailServers(bool readsPrintouts)
{
    if (!DovecotServer::available())
        return QStringLiteral("dovecot-pop3d is not installed");
    if (!SmtpTestServer::available())
        return QStringLiteral("python3-aiosmtpd is not installed");
    if (readsPrintouts && QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        return QStringLiteral("poppler-utils is not installed");
    return {};
}

bool startMailbox(DovecotServer& pop)
{
    if (!pop.start()) {
        qWarning("%s", qPrintable(pop.log()));
        return false;
    }
    qputenv("TORVEX_POP3_PORT", QByteArray::number(pop.port()));
    return true;
}

bool startReceiptServer(SmtpTestServer& smtp, const QString& host, quint16 port)
{
    if (!smtp.start(host, port))
        return false;
    qputenv("TORVEX_SMTP_PORT", QByteArray::number(smtp.port()));
    return true;
}

QString batchSubject(int n)
{
    return QStringLiteral("Fax %1 of the batch").arg(n, 3, 10, QLatin1Char('0'));
}

QString batchToken(int n)
{
    return QStringLiteral("TORVEX-TOKEN-%1-END").arg(n, 3, 10, QLatin1Char('0'));
}

QStringList batchTokens(int count)
{
    QStringList all;
    for (int n = 1; n <= count; ++n)
        all << batchToken(n);
    return all;
}

tools::InternetFax numberedTorvex(int n, const QByteArray& fax)
{
    tools::InternetFax mail;
    mail.from = kBatchSender;
    mail.to = kBatchAddress;
    mail.subject = batchSubject(n);
    mail.messageId = QLatin1Char('<') + batchToken(n) + QStringLiteral("@127.0.0.1>");
    mail.body = QStringLiteral("Covering note %1\n").arg(batchToken(n));
    mail.attachments.push_back({QStringLiteral("fax%1.tif").arg(n), QStringLiteral("image/tiff"), fax});
    return mail;
}

tools::SampleTorvex sampleTorvex(const QString& subject, std::vector<tools::SampleTorvex::Attachment> attachments,
                                 QStringList extraHeaders)
{
    tools::SampleTorvex sample;
    sample.to = QStringLiteral("user@torvex.net");
    sample.subject = subject;
    sample.body = QStringLiteral("Message text of ") + subject + QStringLiteral("\r\n.\r\n");
    sample.attachments = std::move(attachments);
    sample.extraHeaders = std::move(extraHeaders);
    return sample;
}

std::vector<tools::SampleTorvex> sampleInbox(const QByteArray& fax, const QByteArray& regularFax)
{
    std::vector<tools::SampleTorvex> inbox;
    inbox.push_back(sampleTorvex(QStringLiteral("three page fax"), {{QStringLiteral("fax.tif;"), fax}}));
    inbox.push_back(sampleTorvex(QStringLiteral("text attachment"),
                                 {{QStringLiteral("note.txt;"), "Dear user,\r\nhere is the note.\r\n"}}));
    inbox.push_back(sampleTorvex(QStringLiteral("rejected type"),
                                 {{QStringLiteral("fax.tif;"), fax}, {QStringLiteral("letter.doc;"), "DOC"}}));
    inbox.push_back(sampleTorvex(QStringLiteral("receipt from elsewhere")));
    inbox.back().contentType = QStringLiteral("multipart/report; report-type=disposition-notification; boundary=r");
    inbox.push_back(sampleTorvex(QStringLiteral("regular fax"), {{QStringLiteral("fax.tif;"), regularFax}}));
    inbox.back().messageClass = QStringLiteral("IPM.Note.Fax");
    inbox.push_back(sampleTorvex(QStringLiteral("for someone else"), {{QStringLiteral("fax.tif;"), fax}}));
    inbox.back().to = QStringLiteral("someone@torvex.net");
    return inbox;
}

RunBench::RunBench()
{
    QDir().mkpath(profile());
    set({{"Torvex_Profile", QStringLiteral("TORVEX")}, {"Printer_Type", QStringLiteral("TORVEX PDF")}});
}

QString RunBench::profile(const QString& folder) const
{
    return home(QStringLiteral("profiles/TORVEX/")) + folder;
}

void RunBench::set(std::initializer_list<std::pair<const char*, QString>> keys) const
{
    for (const auto& [key, value] : keys)
        writeTorvexKey(QString::fromLatin1(key), value);
}

void RunBench::fetchFromLoopback() const
{
    env.writeFile(QStringLiteral("account.ini"), "[TORVEX]\r\nVX_domain_name=127.0.0.1\r\nVX_IP_Address=\r\n"
                                                 "VX_SMTP_Server=\r\nLast_Resort_SMTP_Server=\r\n");
    set({{"Torvex_Addr", kBatchAddress}, {"Password", QStringLiteral("secret")},
         {"Confirm_Receipt", QStringLiteral("y")}, {"wake_probes", QStringLiteral("0")}});
}

QStringList RunBench::filesIn(const QString& folder) const
{
    return QDir(home(folder)).entryList(QDir::Files);
}

QStringList RunBench::printouts() const
{
    const QDir folder(home(QStringLiteral("Printouts")));
    QStringList paths;
    for (const QString& pdf : folder.entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name))
        paths << folder.filePath(pdf);
    return paths;
}

QList<int> RunBench::printoutPages() const
{
    QList<int> pages;
    for (const QString& pdf : printouts())
        pages << pdfPageCount(pdf);
    return pages;
}

ProcessResult RunBench::run(const QStringList& args, const QStringList& extraEnv, int timeoutMs) const
{
    return runProgram(QStringLiteral("vxprintu"), args, timeoutMs, extraEnv);
}

void RunBench::verifyFiledOnce(const DovecotServer& pop, int count) const
{
    QVERIFY(pop.messages().isEmpty());
    QCOMPARE(maildirMessageFiles(profile()), QStringList());
    QVERIFY(!QFileInfo::exists(profile(QStringLiteral("pending-moves"))));
    QCOMPARE(filesIn(QStringLiteral("In")), QStringList());
    const QMap<QString, QStringList> where = foldersHolding(profile(), batchTokens(count));
    for (int n = 1; n <= count; ++n)
        QCOMPARE(where.value(batchToken(n)), QStringList{QStringLiteral(".TORVEXes.Printed")});
    QCOMPARE(int(maildirMessageFiles(profile(QStringLiteral(".TORVEXes.Printed"))).size()), count);
}

QList<int> timesPrinted(const QString& folder, const QStringList& tokens)
{
    QList<int> counts(tokens.size(), 0);
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name)) {
        const std::optional<QString> text = pdfText(dir.filePath(name));
        if (!text)
            return {};
        for (qsizetype i = 0; i < tokens.size(); ++i)
            counts[i] += int(text->count(tokens[i]));
    }
    return counts;
}

int receiptsFor(const QList<SmtpTestServer::Delivery>& deliveries, const QString& subject)
{
    const QByteArray line = "Subject: RE: " + subject.toUtf8() + " From: ";
    int count = 0;
    for (const SmtpTestServer::Delivery& delivery : deliveries)
        count += delivery.content.contains(line) ? 1 : 0;
    return count;
}

void verifyReceipts(const QList<SmtpTestServer::Delivery>& deliveries, int count,
                    const std::function<int(int)>& expected)
{
    int requested = 0;
    for (int n = 1; n <= count; ++n) {
        const int arrived = receiptsFor(deliveries, batchSubject(n));
        requested += expected(n);
        QVERIFY2(arrived == expected(n),
                 qPrintable(QStringLiteral("receipt of %1 arrived %2 times").arg(n).arg(arrived)));
    }
    QCOMPARE(int(deliveries.size()), requested);
    for (const SmtpTestServer::Delivery& delivery : deliveries)
        QCOMPARE(delivery.rcptTo, QStringList{QStringLiteral("sender@127.0.0.1")});
}

}  // namespace torvex::test
