#include "loopback_mail.h"

#include "test_env.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace torvex::test {

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
    if (!pop.start(QStringLiteral("torvex"), QStringLiteral("secret"))) {
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

QByteArray sampleFaxTiff(const QString& path, int pages, tools::FaxCompression compression, bool fine)
{
    tools::SampleFaxOptions options;
    options.pages = pages;
    options.fine = fine;
    QDir().mkpath(QFileInfo(path).path());
    if (!tools::writeSampleFaxTiff(path, options, compression))
        return {};
    return readWholeFile(path);
}

tools::InternetFax numberedTorvex(int n, const QString& sender, const QString& address, const QString& subject,
                                  const QString& token, const QByteArray& fax)
{
    tools::InternetFax mail;
    mail.from = sender;
    mail.to = address;
    mail.subject = subject;
    mail.messageId = QLatin1Char('<') + token + QStringLiteral("@127.0.0.1>");
    mail.body = QStringLiteral("Covering note %1\n").arg(token);
    mail.attachments.push_back({QStringLiteral("fax%1.tif").arg(n), QStringLiteral("image/tiff"), fax});
    return mail;
}

}  // namespace torvex::test
