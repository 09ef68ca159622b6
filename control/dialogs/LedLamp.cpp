#include "control/dialogs/LedLamp.h"

#include <QPainter>
#include <QRadialGradient>

namespace lumo::dialogs {

LedLamp::LedLamp(QWidget* parent) : QWidget(parent) {
    resize(17, 17);
    setAttribute(Qt::WA_TranslucentBackground);
    m_timer.setInterval(200);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_lit = !m_lit;
        update();
    });
}

void LedLamp::setLitColor(const QColor& color) {
    m_litColor = color;
    update();
}

void LedLamp::setUnlitColor(const QColor& color) {
    m_unlitColor = color;
    update();
}

void LedLamp::setActive(bool lit) {
    m_timer.stop();
    m_lit = lit;
    update();
}

void LedLamp::setBlinking(bool blinking) {
    if (blinking) {
        m_lit = true;
        m_timer.start();
    } else {
        m_timer.stop();
        m_lit = false;
    }
    update();
}

void LedLamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    const QColor base = m_lit ? m_litColor : m_unlitColor.darker(m_lit ? 100 : 115);
    // A glassy lamp: light spot at the upper left, darker rim.
    QRadialGradient glow(box.center() - QPointF(box.width() * 0.18, box.height() * 0.18),
                         box.width() * 0.62);
    glow.setColorAt(0, base.lighter(m_lit ? 160 : 135));
    glow.setColorAt(0.55, base);
    glow.setColorAt(1, base.darker(135));
    painter.setBrush(glow);
    painter.setPen(QPen(base.darker(170), 1));
    painter.drawEllipse(box);
}

}  // namespace lumo::dialogs
