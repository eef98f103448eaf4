#include "service_sim_bbs.h"

#include "common/http_escape.h"

#include <QDate>
#include <QJsonObject>
#include <QUrl>

namespace torvex::sim {
namespace {

// The profile fields an account keeps as they arrive.
const char* const kProfileKeys[] = {"firstname", "lastname", "street", "town", "zip",
                                    "country",   "phone",    "fax",    "email", "bank_name",
                                    "bank_owner"};

[[nodiscard]] QString escapeHtml(const QString& text)
{
    return text.toHtmlEscaped();
}

[[nodiscard]] bool allDigits(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (!c.isDigit())
            return false;
    }
    return true;
}

[[nodiscard]] Reply page(const QString& title, const QString& header, const QString& body)
{
    Reply reply;
    reply.body = taggedPage(title, header, body);
    return reply;
}

[[nodiscard]] Reply unauthorized()
{
    Reply reply = errorPage(401, "Unauthorized",
                            QStringLiteral("The login or password was not accepted."));
    reply.challenge = true;
    return reply;
}

// The account the credentials open, if they open one.
[[nodiscard]] std::optional<QJsonObject> authenticate(const std::optional<Credentials>& credentials,
                                                      const AccountStore& store)
{
    if (!credentials)
        return std::nullopt;
    std::optional<QJsonObject> account = store.find(credentials->login);
    if (!account || account->value(QLatin1String("password")).toString() != credentials->password)
        return std::nullopt;
    return account;
}

void takeProfile(QJsonObject& account, const QMap<QString, QString>& query)
{
    for (const char* key : kProfileKeys) {
        const QString name = QString::fromLatin1(key);
        if (query.contains(name))
            account.insert(name, query.value(name));
    }
}

[[nodiscard]] Reply addUser(const QMap<QString, QString>& query, const AccountStore& store)
{
    const QString login = query.value(QStringLiteral("login"));
    const QString title = QStringLiteral("adduser_fail");
    const QString header = QStringLiteral("Registration refused");
    if (!allDigits(login))
        return page(title, header, QStringLiteral("The login must be a global fax number."));
    const QString password = query.value(QStringLiteral("password1"));
    if (password.isEmpty() || password != query.value(QStringLiteral("password2")))
        return page(title, header, QStringLiteral("The two passwords are empty or differ."));
    if (store.find(login))
        return page(title, header,
                    QStringLiteral("The global fax number %1 is already used.").arg(login));
    const QString first = query.value(QStringLiteral("firstname"));
    const QString last = query.value(QStringLiteral("lastname"));
    if (store.namesake(first, last))
        return page(title, header,
                    QStringLiteral("There is a namesake of yours: %1 %2 has an account already.")
                        .arg(first, last));

    QJsonObject account;
    account.insert(QLatin1String("password"), password);
    account.insert(QLatin1String("groups"), QStringLiteral("Members"));
    account.insert(QLatin1String("registered"), QDate::currentDate().toString(Qt::ISODate));
    takeProfile(account, query);
    if (!store.save(login, account))
        return errorPage(500, "Internal Server Error", QStringLiteral("The account could not be stored."));
    return page(QStringLiteral("adduser_ok"), QStringLiteral("Welcome to TORVEX"),
                QStringLiteral("Your TORVEX account %1 has been set up.").arg(login));
}

[[nodiscard]] Reply changeUser(const QMap<QString, QString>& query,
                               const std::optional<Credentials>& credentials,
                               const AccountStore& store)
{
    std::optional<QJsonObject> account = authenticate(credentials, store);
    if (!account)
        return unauthorized();
    const auto refused = [](const QString& reason) {
        Reply reply;
        reply.body = QStringLiteral("<html><head><title>changeuser_fail</title></head><body>"
                                    "<h1>Update refused</h1>Your profile was not changed.<p>%1"
                                    "<center><h1>Please check your entries and try again.</h1>"
                                    "</center></body></html>")
                         .arg(escapeHtml(reason))
                         .toUtf8();
        return reply;
    };
    if (query.value(QStringLiteral("login")) != credentials->login)
        return refused(QStringLiteral("The login does not match the account."));
    const QString password = query.value(QStringLiteral("password1"));
    if (password.isEmpty() || password != query.value(QStringLiteral("password2")))
        return refused(QStringLiteral("The two passwords are empty or differ."));
    account->insert(QLatin1String("password"), password);
    takeProfile(*account, query);
    if (!store.save(credentials->login, *account))
        return errorPage(500, "Internal Server Error", QStringLiteral("The account could not be stored."));
    return page(QStringLiteral("changeuser_ok"), QStringLiteral("Profile changed"),
                QStringLiteral("Your TORVEX profile has been changed."));
}

[[nodiscard]] Reply showDb(const QMap<QString, QString>& query,
                           const std::optional<Credentials>& credentials,
                           const AccountStore& store)
{
    std::optional<QJsonObject> account = authenticate(credentials, store);
    if (!account)
        return unauthorized();
    const QString name = query.value(QStringLiteral("name"));
    if (query.value(QStringLiteral("what")) != QLatin1String("users") || name != credentials->login)
        return page(QStringLiteral("showdb_fail"), QStringLiteral("Not shown"),
                    QStringLiteral("Only your own record can be shown."));

    const auto row = [](const QString& item, const QString& value) {
        return QStringLiteral("<tr><td>%1</td><td>%2</td></tr>").arg(item, escapeHtml(value));
    };
    QString table = QStringLiteral("<table>") + row(QStringLiteral("Login"), name);
    const QString groups = account->value(QLatin1String("groups")).toString();
    if (!groups.isEmpty())
        table += row(QStringLiteral("Groups"), groups);
    table += row(QStringLiteral("First Name"), account->value(QLatin1String("firstname")).toString())
        + row(QStringLiteral("Last Name"), account->value(QLatin1String("lastname")).toString())
        + row(QStringLiteral("Address"), account->value(QLatin1String("fax")).toString())
        + QStringLiteral("</table>");
    Reply reply;
    reply.body = QStringLiteral("<html><head><title>showdb_ok</title></head><body><h1>User record</h1>"
                                "%1<p></body></html>")
                     .arg(table)
                     .toUtf8();
    return reply;
}

}  // namespace

std::optional<Credentials> parseBasicAuth(const QByteArray& header)
{
    const QByteArray trimmed = header.trimmed();
    if (!trimmed.startsWith("Basic "))
        return std::nullopt;
    const QByteArray pair = QByteArray::fromBase64(trimmed.mid(6).trimmed());
    const qsizetype colon = pair.indexOf(':');
    if (colon < 0)
        return std::nullopt;
    return Credentials{QString::fromUtf8(pair.left(colon)), QString::fromUtf8(pair.mid(colon + 1))};
}

QMap<QString, QString> parseQuery(const QByteArray& query)
{
    QMap<QString, QString> params;
    for (const QByteArray& item : query.split('&')) {
        if (item.isEmpty())
            continue;
        const qsizetype eq = item.indexOf('=');
        const QByteArray key = eq < 0 ? item : item.left(eq);
        const QByteArray value = eq < 0 ? QByteArray() : item.mid(eq + 1);
        params.insert(QUrl::fromPercentEncoding(key), QUrl::fromPercentEncoding(value));
    }
    return params;
}

QByteArray taggedPage(const QString& title, const QString& header, const QString& body)
{
    return QStringLiteral("<html><head><title>%1</title></head><body><h1>%2</h1>%3<p></body></html>")
        .arg(escapeHtml(title), escapeHtml(header), escapeHtml(body))
        .toUtf8();
}

Reply errorPage(int status, const QByteArray& reason, const QString& text)
{
    Reply reply;
    reply.status = status;
    reply.reason = reason;
    reply.body = taggedPage(QStringLiteral("HTTP %1 %2").arg(status).arg(QString::fromLatin1(reason)),
                            QString::fromLatin1(reason), text);
    return reply;
}

Reply bbsReply(QMap<QString, QString> query, const std::optional<Credentials>& credentials,
               const AccountStore& store)
{
    // Values come escaped as the scheduler's profile values are ("%%" for
    // "%"); the service takes them back to what the user typed.
    for (QString& value : query)
        value = HttpToTabs(value);
    const QString action = query.value(QStringLiteral("action"));
    if (action == QLatin1String("adduser"))
        return addUser(query, store);
    if (action == QLatin1String("changeuser"))
        return changeUser(query, credentials, store);
    if (action == QLatin1String("showdb"))
        return showDb(query, credentials, store);
    return errorPage(400, "Bad Request", QStringLiteral("Unknown action."));
}

}  // namespace torvex::sim
