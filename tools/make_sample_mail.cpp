// make_sample_mail: puts the demo's Internet faxes into a Maildir, as a fax
// service delivers them to the user's mailbox.
//   make_sample_mail --to ADDRESS [--sender-domain DOMAIN] <Maildir>
#include "demo_faxes.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>

using namespace torvex::tools;

namespace {

// Written into tmp/ and renamed into new/, so a server never sees half a message.
bool deliver(const QString& maildir, const QByteArray& message, int number)
{
    for (const char* sub : {"tmp", "new", "cur"}) {
        if (!QDir().mkpath(maildir + QLatin1Char('/') + QLatin1String(sub)))
            return false;
    }
    const QString name = QStringLiteral("%1.M%2P%3.make_sample_mail")
                             .arg(QDateTime::currentSecsSinceEpoch())
                             .arg(number)
                             .arg(QCoreApplication::applicationPid());
    const QString tmp = maildir + QStringLiteral("/tmp/") + name;
    QFile file(tmp);
    if (!file.open(QIODevice::WriteOnly) || file.write(message) != message.size() || !file.flush())
        return false;
    file.close();
    return QFile::rename(tmp, maildir + QStringLiteral("/new/") + name);
}

}  // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Puts sample Internet faxes into a Maildir."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("to"), QStringLiteral("The user's TORVEX address."), QStringLiteral("address")});
    parser.addOption({QStringLiteral("sender-domain"), QStringLiteral("Mail domain of the senders (receipts go there)."),
                      QStringLiteral("domain"), QStringLiteral("127.0.0.1")});
    parser.addPositionalArgument(QStringLiteral("maildir"), QStringLiteral("The Maildir to deliver into."));
    parser.process(app);
    if (parser.positionalArguments().size() != 1 || parser.value(QStringLiteral("to")).isEmpty())
        parser.showHelp(2);

    const std::vector<DemoFax> faxes =
        demoFaxes(parser.value(QStringLiteral("to")), parser.value(QStringLiteral("sender-domain")));
    if (faxes.empty()) {
        std::fprintf(stderr, "make_sample_mail: cannot draw the fax pages\n");
        return 1;
    }
    const QString maildir = parser.positionalArguments().first();
    int number = 0;
    for (const DemoFax& fax : faxes) {
        if (!deliver(maildir, composeInternetFax(fax.mail), ++number)) {
            std::fprintf(stderr, "make_sample_mail: cannot deliver into %s\n", qPrintable(maildir));
            return 1;
        }
        std::printf("%s: \"%s\" (%d fax page%s)\n", qPrintable(fax.mail.from), qPrintable(fax.mail.subject),
                    fax.faxPages, fax.faxPages == 1 ? "" : "s");
    }
    return 0;
}
