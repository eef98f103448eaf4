#include "test_certificates.h"

#include "test_env.h"

#include <QProcess>
#include <QStandardPaths>

namespace torvex::test {
namespace {

// One openssl command, its arguments split at blanks (none holds one).
bool openssl(const QString& command, const QString& folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("openssl"), command.split(QLatin1Char(' ')));
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

const QString kEcKey = QStringLiteral("-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes");

bool makeCa(const QString& name, const QString& folder)
{
    return openssl(QStringLiteral("req -x509 %1 -keyout %2.key -out %2.pem -days 30 -subj /CN=TORVEX-test-%2 "
                                  "-addext basicConstraints=critical,CA:TRUE "
                                  "-addext keyUsage=critical,keyCertSign,cRLSign")
                       .arg(kEcKey, name),
                   folder);
}

// A server certificate signed by the CA `ca`, valid for `days` (-1: it
// expired a day before it was made) and for the names in `altNames`.
bool makeServer(const QString& name, const QString& ca, const QString& altNames, int days, int serial,
                const QString& folder)
{
    return writeWholeFile(folder + QLatin1Char('/') + name + QStringLiteral(".ext"),
                          "basicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\nsubjectAltName="
                              + altNames.toLatin1() + "\n")
        && openssl(QStringLiteral("req %1 -keyout %2.key -out %2.csr -subj /CN=%2").arg(kEcKey, name), folder)
        && openssl(QStringLiteral("x509 -req -in %1.csr -CA %2.pem -CAkey %2.key -set_serial %3 -days %4 "
                                  "-extfile %1.ext -out %1.pem")
                       .arg(name, ca, QString::number(serial), QString::number(days)),
                   folder);
}

}  // namespace

TestCertificates::TestCertificates()
{
    ok_ = dir_.isValid() && !QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty() && make();
}

bool TestCertificates::make()
{
    const QString folder = dir_.path();
    const QString loopback = QStringLiteral("IP:127.0.0.1,DNS:localhost");
    return makeCa(QStringLiteral("ca"), folder) && makeCa(QStringLiteral("other-ca"), folder)
        && makeServer(QStringLiteral("server"), QStringLiteral("ca"), loopback, 30, 1, folder)
        && makeServer(QStringLiteral("expired"), QStringLiteral("ca"), loopback, -1, 2, folder)
        && makeServer(QStringLiteral("other-host"), QStringLiteral("ca"), QStringLiteral("DNS:other.example"), 30, 3,
                      folder)
        && makeServer(QStringLiteral("unknown-issuer"), QStringLiteral("other-ca"), loopback, 30, 4, folder);
}

}  // namespace torvex::test
