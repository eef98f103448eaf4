#include "scheduler/core/status_bar.h"

#include "scheduler/core/clock.h"

#include <QLocale>

namespace torvex {

QString myDateTime(const Clock& clock)
{
    const QDateTime now = clock.now();
    const QLocale locale = QLocale::system();
    return QStringLiteral("Date : ") + locale.toString(now.date(), QLocale::ShortFormat)
           + QStringLiteral("  Time : ") + locale.toString(now.time(), QStringLiteral("hh:mm AP"));
}

void StatusBar::setText(const QString& text)
{
    text_ = text;
    Q_EMIT textChanged(text_);
}

void StatusBar::showNow(const QString& separator, const QString& text)
{
    setText(myDateTime() + separator + text);
}

QString StatusBar::myDateTime() const
{
    return torvex::myDateTime(clock_);
}

}  // namespace torvex
