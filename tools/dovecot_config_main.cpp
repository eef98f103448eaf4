// torvex-dovecot-config: prepares Dovecot's POP3 set-up for the local service.
//   torvex-dovecot-config write <folder> <port> <user> <password>
//       writes the configuration; prints its path, then the user's Maildir
//   torvex-dovecot-config adopt <folder>
//       makes mail written into the Maildir readable by the server
#include "dovecot_config.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <cstdio>

using namespace torvex::tools;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 5 && args[0] == QLatin1String("write")) {
        bool ok = false;
        const quint16 port = args[2].toUShort(&ok);
        if (!ok || port == 0) {
            std::fprintf(stderr, "torvex-dovecot-config: bad port %s\n", qPrintable(args[2]));
            return 2;
        }
        DovecotPop3Setup setup;
        setup.base = QDir(args[1]).absolutePath();
        setup.port = port;
        setup.user = args[3];
        setup.password = args[4];
        const QString& base = setup.base;
        const QString config = writeDovecotPop3Config(setup);
        if (config.isEmpty()) {
            std::fprintf(stderr, "torvex-dovecot-config: cannot write into %s\n", qPrintable(base));
            return 1;
        }
        std::printf("%s\n%s\n", qPrintable(config), qPrintable(dovecotMaildir(base, args[3])));
        return 0;
    }
    if (args.size() == 2 && args[0] == QLatin1String("adopt")) {
        adoptDovecotMail(QDir(args[1]).absoluteFilePath(QStringLiteral("mail")));
        return 0;
    }
    std::fprintf(stderr, "usage: torvex-dovecot-config write <folder> <port> <user> <password>\n"
                         "       torvex-dovecot-config adopt <folder>\n");
    return 2;
}
