#include "cntrform.h"

#include <QScreen>
#include <QWidget>

namespace torvex {

void CNTRFORM(QWidget& window)
{
    const QScreen* screen = window.screen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize size = window.frameGeometry().size();
    const float top = float(area.height()) * 0.85f / 2.0f - float(size.height()) / 2.0f;
    const float left = float(area.width()) / 2.0f - float(size.width()) / 2.0f;
    window.move(area.x() + int(left), area.y() + int(top));
}

}  // namespace torvex
