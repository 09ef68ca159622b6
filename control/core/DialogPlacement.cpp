#include "control/core/DialogPlacement.h"

#include <QApplication>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace lumo::control {

void placeOverUsersWindow(QWidget& window) {
    QWidget* owner = window.parentWidget() ? window.parentWidget()->window() : nullptr;
    if (owner && owner->isVisible()) return;  // Qt centres it over a visible owner itself
    QRect area;
    QWidget* active = QApplication::activeWindow();
    if (active && active != &window && active->isVisible()) {
        area = active->frameGeometry();
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    } else {
        return;
    }
    const QPoint topLeft = area.center() - QPoint(window.width() / 2, window.height() / 2);
    window.move(topLeft);
}

}  // namespace lumo::control
