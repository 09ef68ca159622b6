#include "engine/scannerwindow/SignalLamp.h"

#include <QPainter>

namespace lumo::scanner {

SignalLamp::SignalLamp(QColor litColour, QWidget* parent) : QWidget(parent), m_colour(litColour) {
    setAccessibleDescription(QStringLiteral("off"));
}

void SignalLamp::setLit(bool lit) {
    if (lit == m_lit) return;
    m_lit = lit;
    setAccessibleDescription(lit ? QStringLiteral("on") : QStringLiteral("off"));
    update();
}

void SignalLamp::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int side = std::min(width(), height()) - 2;
    const QRectF circle((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    p.setPen(QPen(QColor(70, 70, 70), 1));
    p.setBrush(m_lit ? m_colour : QColor(190, 190, 190));
    p.drawEllipse(circle);
}

}  // namespace lumo::scanner
