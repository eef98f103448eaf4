#pragma once

#include <QDateTime>

namespace torvex {

// Where the schedule reads the time; tests fix it.
class Clock {
public:
    virtual ~Clock() = default;
    [[nodiscard]] virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    [[nodiscard]] QDateTime now() const override { return QDateTime::currentDateTime(); }
};

// A clock that shows a set time until it is moved.
class FixedClock final : public Clock {
public:
    explicit FixedClock(QDateTime at) : at_(std::move(at)) {}
    [[nodiscard]] QDateTime now() const override { return at_; }
    void set(const QDateTime& at) { at_ = at; }
    void advanceMinutes(int minutes) { at_ = at_.addSecs(qint64(minutes) * 60); }

private:
    QDateTime at_;
};

}  // namespace torvex
