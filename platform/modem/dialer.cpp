#include "dialer.h"

#include "platform/desktop/time_scale.h"

#include <QProcess>
#include <QStandardPaths>

#include <algorithm>

namespace torvex {

namespace {

// nmcli answers in milliseconds unless NetworkManager is stuck; the start-up
// queries do not wait longer than this for it.
constexpr int kQueryTimeoutMs = 5000;
// A poll interval, not a wait: under a large time scale it still leaves the
// machine room to breathe.
constexpr int kMinPollMs = 50;

const QStringList kActiveListArgs{QStringLiteral("-t"), QStringLiteral("-f"),
                                  QStringLiteral("NAME,STATE"), QStringLiteral("connection"),
                                  QStringLiteral("show"), QStringLiteral("--active")};

}  // namespace

QStringList splitTerseLine(const QString& line)
{
    QStringList fields{QString()};
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == QLatin1Char('\\') && i + 1 < line.size())
            fields.last() += line[++i];
        else if (c == QLatin1Char(':'))
            fields << QString();
        else
            fields.last() += c;
    }
    return fields;
}

Dialer::Dialer(QObject* parent)
    : QObject(parent), program_(QStandardPaths::findExecutable(QStringLiteral("nmcli")))
{
    pollTimer_.setInterval(std::max(scaledMs(kPollMs), kMinPollMs));
    connect(&pollTimer_, &QTimer::timeout, this, &Dialer::startPoll);
}

Dialer::~Dialer()
{
    for (QProcess* process : {poll_.get(), action_.get()}) {
        if (process) {
            process->disconnect(this);
            process->kill();
            process->waitForFinished(1000);
        }
    }
}

QStringList Dialer::phoneBookEntries() const
{
    if (!isInstalled())
        return {};
    QProcess nmcli;
    nmcli.start(program_, {QStringLiteral("-t"), QStringLiteral("-f"), QStringLiteral("NAME"),
                           QStringLiteral("connection"), QStringLiteral("show")});
    if (!nmcli.waitForFinished(kQueryTimeoutMs) || nmcli.exitStatus() != QProcess::NormalExit
        || nmcli.exitCode() != 0) {
        nmcli.kill();
        nmcli.waitForFinished(1000);
        return {};
    }
    QStringList entries;
    for (const QString& line : QString::fromUtf8(nmcli.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (!line.isEmpty())
            entries << splitTerseLine(line).first();
    }
    return entries;
}

void Dialer::setPhoneEntry(const QString& entry)
{
    phoneEntry_ = entry;
    wasConnected_ = Connected();
    if (isInstalled() && !phoneEntry_.isEmpty())
        pollTimer_.start();
    else
        pollTimer_.stop();
}

QString Dialer::stateOf(const QString& entry) const
{
    return entry.isEmpty() ? QString() : active_.value(entry);
}

bool Dialer::Connected() const
{
    return stateOf(phoneEntry_) == QLatin1String("activated");
}

QString Dialer::statusText() const
{
    const QString state = stateOf(phoneEntry_);
    if (state == QLatin1String("activated"))
        return QStringLiteral("Connected");
    if (state == QLatin1String("activating"))
        return QStringLiteral("Connecting");
    if (state == QLatin1String("deactivating"))
        return QStringLiteral("Disconnecting");
    return QStringLiteral("Disconnected");
}

void Dialer::refresh()
{
    if (!isInstalled())
        return;
    QProcess nmcli;
    nmcli.start(program_, kActiveListArgs);
    if (nmcli.waitForFinished(kQueryTimeoutMs))
        takeActiveList(nmcli.exitCode() == 0 ? nmcli.readAllStandardOutput() : QByteArray());
    else {
        nmcli.kill();
        nmcli.waitForFinished(1000);
    }
}

void Dialer::startPoll()
{
    if (!isInstalled() || poll_)
        return;
    poll_ = std::make_unique<QProcess>();
    connect(poll_.get(), &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        const QByteArray out = status == QProcess::NormalExit && exitCode == 0
            ? poll_->readAllStandardOutput() : QByteArray();
        poll_.release()->deleteLater();
        takeActiveList(out);
    });
    connect(poll_.get(), &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            poll_.release()->deleteLater();
    });
    poll_->start(program_, kActiveListArgs);
}

void Dialer::takeActiveList(const QByteArray& terse)
{
    active_.clear();
    for (const QString& line : QString::fromUtf8(terse).split(QLatin1Char('\n'))) {
        const QStringList fields = splitTerseLine(line);
        if (fields.size() >= 2 && !fields[0].isEmpty())
            active_.insert(fields[0], fields[1]);
    }
    const bool now = Connected();
    if (now == wasConnected_)
        return;
    wasConnected_ = now;
    if (now)
        Q_EMIT connected();
    else
        Q_EMIT disconnected();
}

void Dialer::runInBackground(const QStringList& args)
{
    if (!isInstalled() || phoneEntry_.isEmpty())
        return;
    // The newer request wins: a hang-up does not wait for a dial to give up.
    if (action_) {
        action_->disconnect(this);
        action_->kill();
        action_.release()->deleteLater();
    }
    action_ = std::make_unique<QProcess>();
    action_->setStandardOutputFile(QProcess::nullDevice());
    action_->setStandardErrorFile(QProcess::nullDevice());
    const auto done = [this] {
        action_.release()->deleteLater();
        startPoll();
    };
    connect(action_.get(), &QProcess::finished, this, done);
    connect(action_.get(), &QProcess::errorOccurred, this, [done](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            done();
    });
    action_->start(program_, args);
}

void Dialer::Connect()
{
    runInBackground({QStringLiteral("connection"), QStringLiteral("up"), QStringLiteral("id"), phoneEntry_});
}

void Dialer::HangUp()
{
    runInBackground({QStringLiteral("connection"), QStringLiteral("down"), QStringLiteral("id"), phoneEntry_});
}

}  // namespace torvex
