#include "scheduler/window/window_placement.h"

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

void placeAndShow(QWidget& window)
{
    window.adjustSize();
    CNTRFORM(window);
    // 200 twips from the top of the screen.
    window.move(window.x(), window.screen() ? window.screen()->geometry().y() + 13 : 13);
    window.show();
}

}  // namespace torvex
