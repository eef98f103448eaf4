#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

namespace torvex::sim {

// The simulator's user database: one JSON object per login in one file,
// {"5551234": {"password": "...", "firstname": "...", "groups": "Members"}},
// re-read before every request so tests can edit it between requests, and
// replaced whole (by rename) on every change.
class AccountStore {
public:
    explicit AccountStore(QString path) : path_(std::move(path)) {}

    [[nodiscard]] std::optional<QJsonObject> find(const QString& login) const;
    // The login of another account with this first and last name.
    [[nodiscard]] std::optional<QString> namesake(const QString& firstname,
                                                  const QString& lastname) const;
    bool save(const QString& login, const QJsonObject& account) const;

private:
    [[nodiscard]] QJsonObject load() const;
    QString path_;
};

}  // namespace torvex::sim
