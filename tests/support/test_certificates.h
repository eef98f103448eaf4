#pragma once

#include <QString>
#include <QTemporaryDir>

namespace torvex::test {

// Certificates made by openssl for one test process, never kept in the
// tree: a throw-away CA and server certificates it signed, and one signed
// by a second CA nobody trusts. Every server certificate but "other-host"
// names 127.0.0.1 and localhost. PEM files in a temporary folder.
class TestCertificates {
public:
    struct Pair {
        QString cert;
        QString key;
    };

    TestCertificates();
    TestCertificates(const TestCertificates&) = delete;
    TestCertificates& operator=(const TestCertificates&) = delete;

    // Every file was made (openssl is installed and made them).
    [[nodiscard]] bool ok() const { return ok_; }

    [[nodiscard]] QString caFile() const { return dir_.filePath(QStringLiteral("ca.pem")); }
    [[nodiscard]] Pair server() const { return pair(QStringLiteral("server")); }
    // By name: "server", "expired", "other-host" (names only other.example)
    // or "unknown-issuer".
    [[nodiscard]] Pair pair(const QString& name) const
    {
        return {dir_.filePath(name + QStringLiteral(".pem")), dir_.filePath(name + QStringLiteral(".key"))};
    }

private:
    bool make();

    QTemporaryDir dir_;
    bool ok_ = false;
};

}  // namespace torvex::test
