#include "service_sim_accounts.h"

#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>

namespace torvex::sim {

QJsonObject AccountStore::load() const
{
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

std::optional<QJsonObject> AccountStore::find(const QString& login) const
{
    const QJsonObject all = load();
    if (!all.contains(login))
        return std::nullopt;
    return all.value(login).toObject();
}

std::optional<QString> AccountStore::namesake(const QString& firstname, const QString& lastname) const
{
    const QJsonObject all = load();
    for (auto it = all.begin(); it != all.end(); ++it) {
        const QJsonObject account = it.value().toObject();
        if (account.value(QLatin1String("firstname")).toString().compare(firstname, Qt::CaseInsensitive) == 0
            && account.value(QLatin1String("lastname")).toString().compare(lastname, Qt::CaseInsensitive) == 0)
            return it.key();
    }
    return std::nullopt;
}

bool AccountStore::save(const QString& login, const QJsonObject& account) const
{
    QJsonObject all = load();
    all.insert(login, account);
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(all).toJson());
    return file.commit();
}

}  // namespace torvex::sim
