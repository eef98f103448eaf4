#include "test_certificates.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace torvex::test {
namespace {

bool openssl(const QStringList& args, const QString& folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("openssl"), args);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

const QStringList kEcKey{QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                         QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};

bool makeCa(const QString& name, const QString& folder)
{
    return openssl(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + kEcKey
                       + QStringList{QStringLiteral("-keyout"), name + QStringLiteral(".key"), QStringLiteral("-out"),
                                     name + QStringLiteral(".pem"), QStringLiteral("-days"), QStringLiteral("30"),
                                     QStringLiteral("-subj"), QStringLiteral("/CN=TORVEX test ") + name,
                                     QStringLiteral("-addext"), QStringLiteral("basicConstraints=critical,CA:TRUE"),
                                     QStringLiteral("-addext"), QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")},
                   folder);
}

// A server certificate signed by the CA `ca`, valid for `days` (-1: it
// expired a day before it was made) and for the names in `altNames`.
bool makeServer(const QString& name, const QString& ca, const QString& altNames, int days, int serial,
                const QString& folder)
{
    const QString ext = name + QStringLiteral(".ext");
    QFile file(folder + QLatin1Char('/') + ext);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write("basicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\nsubjectAltName=" + altNames.toLatin1()
               + "\n");
    file.close();
    return openssl(QStringList{QStringLiteral("req")} + kEcKey
                       + QStringList{QStringLiteral("-keyout"), name + QStringLiteral(".key"), QStringLiteral("-out"),
                                     name + QStringLiteral(".csr"), QStringLiteral("-subj"),
                                     QStringLiteral("/CN=") + name},
                   folder)
        && openssl({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), name + QStringLiteral(".csr"),
                    QStringLiteral("-CA"), ca + QStringLiteral(".pem"), QStringLiteral("-CAkey"), ca + QStringLiteral(".key"),
                    QStringLiteral("-set_serial"), QString::number(serial), QStringLiteral("-days"), QString::number(days),
                    QStringLiteral("-extfile"), ext, QStringLiteral("-out"), name + QStringLiteral(".pem")},
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
