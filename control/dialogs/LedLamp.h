// LedLamp: a round progress light with a lit and an unlit colour that can blink.
//
// Steady lit (setActive(true)), steady unlit (setActive(false)) or blinking (setBlinking(true):
// lit and unlit alternate every blinkPeriod milliseconds, 200 by default, starting lit).
// A child widget owned by its parent; GUI thread only.
#pragma once

#include <QColor>
#include <QTimer>
#include <QWidget>

namespace lumo::dialogs {

class LedLamp : public QWidget {
    Q_OBJECT
public:
    explicit LedLamp(QWidget* parent = nullptr);

    QColor litColor() const { return m_litColor; }
    void setLitColor(const QColor& color);
    QColor unlitColor() const { return m_unlitColor; }
    void setUnlitColor(const QColor& color);
    int blinkPeriod() const { return m_timer.interval(); }
    void setBlinkPeriod(int milliseconds) { m_timer.setInterval(milliseconds); }

    // Steady light; stops blinking.
    void setActive(bool lit);
    // Blinking from lit, or back to steady unlit.
    void setBlinking(bool blinking);

    bool isLit() const { return m_lit; }
    bool isBlinking() const { return m_timer.isActive(); }
    QSize sizeHint() const override { return {17, 17}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_litColor = QColor(0, 255, 0);
    QColor m_unlitColor = QColor(255, 0, 0);
    bool m_lit = false;
    QTimer m_timer;
};

}  // namespace lumo::dialogs
