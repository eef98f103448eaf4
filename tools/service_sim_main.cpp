// torvex-service-sim: the fax service's web server for tests and the demo.
#include "service_sim.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char* argv[])
{
    using namespace torvex::sim;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("torvex-service-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Answers the TORVEX account requests (/bbs?action=adduser|changeuser|showdb) on loopback."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Port to listen on; 0 picks a free one."),
                                        QStringLiteral("port"), QStringLiteral("0"));
    const QCommandLineOption accountsOption(QStringLiteral("accounts"),
                                            QStringLiteral("JSON file holding the accounts."),
                                            QStringLiteral("file"),
                                            QDir::current().filePath(QStringLiteral("sim-accounts.json")));
    const QCommandLineOption logOption(QStringLiteral("log"),
                                       QStringLiteral("Append every /bbs request to this file."),
                                       QStringLiteral("file"));
    const QCommandLineOption modeOption(QStringLiteral("mode"),
                                        QStringLiteral("normal, stall, drop, empty or error."),
                                        QStringLiteral("mode"), QStringLiteral("normal"));
    const QCommandLineOption certOption(QStringLiteral("tls-cert"),
                                        QStringLiteral("Serve https with this certificate (PEM)."),
                                        QStringLiteral("file"));
    const QCommandLineOption keyOption(QStringLiteral("tls-key"),
                                       QStringLiteral("The certificate's private key (PEM)."),
                                       QStringLiteral("file"));
    parser.addOptions({portOption, accountsOption, logOption, modeOption, certOption, keyOption});
    parser.process(app);

    bool portOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    const std::optional<Mode> mode = modeFromName(parser.value(modeOption));
    if (!portOk || port > 65535 || !mode) {
        std::fprintf(stderr, "torvex-service-sim: bad --port or --mode\n");
        return 2;
    }

    ServiceSim sim(AccountStore(parser.value(accountsOption)), parser.value(logOption));
    sim.setMode(*mode);
    if (parser.isSet(certOption) && !sim.useTls(parser.value(certOption), parser.value(keyOption))) {
        std::fprintf(stderr, "torvex-service-sim: cannot read --tls-cert or --tls-key\n");
        return 2;
    }
    if (!sim.listen(QHostAddress::LocalHost, quint16(port))) {
        std::fprintf(stderr, "torvex-service-sim: cannot listen on 127.0.0.1:%u\n", port);
        return 1;
    }
    // Tests read the port from this line.
    std::printf("listening on 127.0.0.1:%u\n", unsigned(sim.port()));
    std::fflush(stdout);
    return app.exec();
}
