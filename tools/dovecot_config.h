#pragma once

#include <QString>

namespace torvex::tools {

// Debian's Dovecot serving POP3 from a folder of its own: configuration,
// run and state folders, a passwd-file user and that user's Maildir, on a
// loopback port. Shared by the tests' Dovecot and the demo's local service.
// Runs unprivileged, or as root with the mail processes as "nobody"
// (Dovecot refuses root for mail access).
struct DovecotPop3Setup {
    QString base;  // everything lives under it
    quint16 port = 0;
    QString user = QStringLiteral("torvex");
    QString password = QStringLiteral("secret");
    // With a certificate and its key (PEM): TLS required for every log-on,
    // STLS on the plain port and POP3S on pop3sPort.
    QString sslCert;
    QString sslKey;
    quint16 pop3sPort = 0;
};

// The dovecot binary, empty when it is not installed.
[[nodiscard]] QString dovecotBinary();

// The user's Maildir (cur/, new/, tmp/) under the base folder.
[[nodiscard]] QString dovecotMaildir(const QString& base, const QString& user);

// Writes base/dovecot.conf and base/passwd and creates the folders the
// server needs. Returns the configuration file, empty when it could not be
// written.
[[nodiscard]] QString writeDovecotPop3Config(const DovecotPop3Setup& setup);

// Makes a file or folder tree under the mail folder (files others wrote
// into the Maildir included) the mail processes' own; nothing to do when not
// running as root.
void adoptDovecotMail(const QString& path);

}  // namespace torvex::tools
