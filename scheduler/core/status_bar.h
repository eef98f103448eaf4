#pragma once

#include <QObject>
#include <QString>

namespace torvex {

class Clock;

// "Date : " + today's date in the system's short form + "  Time : " + the
// time as "hh:mm AMPM": the prefix of every status text.
[[nodiscard]] QString myDateTime(const Clock& clock);

// Panel 1 of the window's status bar as the scheduler's parts write and read
// it; the window shows what it says.
class StatusBar final : public QObject {
    Q_OBJECT
public:
    explicit StatusBar(const Clock& clock) : clock_(clock) {}

    [[nodiscard]] const QString& text() const { return text_; }
    void setText(const QString& text);
    // myDateTime() + separator + text.
    void showNow(const QString& separator, const QString& text);
    [[nodiscard]] QString myDateTime() const;

Q_SIGNALS:
    void textChanged(const QString& text);

private:
    const Clock& clock_;
    QString text_;
};

}  // namespace torvex
