#pragma once

#include "service_sim_accounts.h"

#include <QByteArray>
#include <QMap>
#include <QString>

#include <optional>

namespace torvex::sim {

// One HTTP answer of the simulator.
struct Reply {
    int status = 200;
    QByteArray reason = "OK";
    QByteArray contentType = "text/html";
    QByteArray body;
    bool challenge = false;  // ask for basic authentication
};

struct Credentials {
    QString login;
    QString password;
};

// The credentials of an "Authorization: Basic ..." header value.
[[nodiscard]] std::optional<Credentials> parseBasicAuth(const QByteArray& header);

// The parameters of a query string, each value percent-decoded ("+" stays).
[[nodiscard]] QMap<QString, QString> parseQuery(const QByteArray& query);

// The tagged page of the service: the title carries the result, h1 and the
// text up to <p> the words for the user.
[[nodiscard]] QByteArray taggedPage(const QString& title, const QString& header, const QString& body);
[[nodiscard]] Reply errorPage(int status, const QByteArray& reason, const QString& text);

// The service's /bbs answers: adduser registers, changeuser updates (basic
// authentication), showdb returns the user record with its Groups
// (basic authentication). Each value of the query is unescaped as the
// scheduler escapes it (HttpToTabs) before it is used or stored.
[[nodiscard]] Reply bbsReply(QMap<QString, QString> query,
                             const std::optional<Credentials>& credentials,
                             const AccountStore& store);

}  // namespace torvex::sim
