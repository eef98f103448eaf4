#include "dovecot_config.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace torvex::tools {
namespace {

constexpr uid_t kNobody = 65534;

bool isRoot()
{
    return ::geteuid() == 0;
}

QString userName(uid_t uid)
{
    const passwd* entry = getpwuid(uid);
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(uid);
}

QString groupName(gid_t gid)
{
    const group* entry = getgrgid(gid);
    return entry ? QString::fromLocal8Bit(entry->gr_name) : QString::number(gid);
}

void chownTree(const QString& path, uid_t uid, gid_t gid)
{
    if (::chown(QFile::encodeName(path).constData(), uid, gid) != 0)
        return;
    const QDir dir(path);
    for (const QFileInfo& entry : dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        if (entry.isDir())
            chownTree(entry.filePath(), uid, gid);
        else
            (void)::chown(QFile::encodeName(entry.filePath()).constData(), uid, gid);
    }
}

bool writeWhole(const QString& path, const QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(text.toUtf8()) >= 0 && file.flush();
}

}  // namespace

QString dovecotBinary()
{
    return QStandardPaths::findExecutable(QStringLiteral("dovecot"),
                                          {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin"),
                                           QStringLiteral("/sbin"), QStringLiteral("/usr/bin")});
}

QString dovecotMaildir(const QString& base, const QString& user)
{
    return base + QStringLiteral("/mail/") + user + QStringLiteral("/Maildir");
}

QString writeDovecotPop3Config(const DovecotPop3Setup& setup)
{
    const QString& base = setup.base;
    for (const char* sub : {"run", "state", "mail"})
        QDir().mkpath(base + QLatin1Char('/') + QLatin1String(sub));
    const QString maildir = dovecotMaildir(base, setup.user);
    for (const char* sub : {"cur", "new", "tmp"})
        QDir().mkpath(maildir + QLatin1Char('/') + QLatin1String(sub));
    if (!writeWhole(base + QStringLiteral("/passwd"),
                    setup.user + QStringLiteral(":{PLAIN}") + setup.password + QLatin1Char('\n')))
        return {};

    const bool root = isRoot();
    const uid_t mailUid = root ? kNobody : ::geteuid();
    const gid_t mailGid = root ? kNobody : ::getegid();
    adoptDovecotMail(base + QStringLiteral("/mail"));
    const QString internalUser = root ? QStringLiteral("dovecot") : userName(::geteuid());
    const QString internalGroup = root ? QStringLiteral("dovecot") : groupName(::getegid());
    const QString loginUser = root ? QStringLiteral("dovenull") : userName(::geteuid());
    const bool secure = !setup.sslCert.isEmpty();
    const QString tls = secure ? QStringLiteral("ssl = required\nssl_cert = <%1\nssl_key = <%2\n"
                                                "disable_plaintext_auth = yes\n")
                                     .arg(setup.sslCert, setup.sslKey)
                               : QStringLiteral("ssl = no\ndisable_plaintext_auth = no\n");
    const QString pop3s = secure && setup.pop3sPort != 0
        ? QStringLiteral("  inet_listener pop3s {\n    address = 127.0.0.1\n    port = %1\n    ssl = yes\n  }\n")
              .arg(setup.pop3sPort)
        : QString();
    const QString config = QStringLiteral(
        "protocols = pop3\n"
        "listen = 127.0.0.1\n"
        "base_dir = %1/run\n"
        "state_dir = %1/state\n"
        "log_path = %1/dovecot.log\n"
        "%8"
        "auth_mechanisms = plain\n"
        "auth_failure_delay = 0\n"
        "default_internal_user = %2\n"
        "default_internal_group = %3\n"
        "default_login_user = %4\n"
        "first_valid_uid = 1\n"
        "first_valid_gid = 1\n"
        "mail_location = maildir:%1/mail/%u/Maildir\n"
        "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN username_format=%u %1/passwd\n}\n"
        "userdb {\n  driver = static\n  args = uid=%5 gid=%6 home=%1/mail/%u\n}\n"
        "service pop3-login {\n  chroot =\n  inet_listener pop3 {\n    address = 127.0.0.1\n    port = %7\n  }\n%9}\n"
        "service anvil {\n  chroot =\n}\n")
                               .arg(base, internalUser, internalGroup, loginUser)
                               .arg(mailUid)
                               .arg(mailGid)
                               .arg(setup.port)
                               .arg(tls, pop3s);
    const QString path = base + QStringLiteral("/dovecot.conf");
    return writeWhole(path, config) ? path : QString();
}

void adoptDovecotMail(const QString& path)
{
    if (isRoot())
        chownTree(path, kNobody, kNobody);
}

}  // namespace torvex::tools
