#include "message_box.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>

#include <cstdio>

namespace torvex {

void WidgetMessageBoxes::beep()
{
    QApplication::beep();
}

MsgAnswer WidgetMessageBoxes::show(const QString& text, const QString& caption,
                                   MsgButtons buttons, MsgIcon icon)
{
    QMessageBox box;
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    }
    if (buttons == MsgButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MsgAnswer::Ok;
}

MsgAnswer StderrMessageBoxes::show(const QString& text, const QString& caption,
                                   MsgButtons buttons, MsgIcon)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QByteArray out = (caption.isEmpty() ? QString() : caption + QStringLiteral(": "))
                               .toLocal8Bit() + shown.toLocal8Bit() + '\n';
    std::fwrite(out.constData(), 1, size_t(out.size()), stderr);
    std::fflush(stderr);
    return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
}

bool hasDisplay()
{
    const QString platform = QGuiApplication::platformName();
    return !platform.isEmpty() && platform != QLatin1String("offscreen")
        && platform != QLatin1String("minimal");
}

std::unique_ptr<MessageBoxes> makeMessageBoxes()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) && hasDisplay())
        return std::make_unique<WidgetMessageBoxes>();
    return std::make_unique<StderrMessageBoxes>();
}

}  // namespace torvex
