// SignalLamp: one of the virtual scanner's signals (green light, red light, beeper) as a
// coloured circle, bright when on and grey when off. The state is also its accessible
// description ("on"/"off") and the property "lit", for tests and screen readers.
#pragma once

#include <QColor>
#include <QWidget>

namespace lumo::scanner {

class SignalLamp : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool lit READ isLit WRITE setLit)

public:
    SignalLamp(QColor litColour, QWidget* parent = nullptr);

    bool isLit() const { return m_lit; }
    void setLit(bool lit);
    QSize sizeHint() const override { return {16, 16}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_colour;
    bool m_lit = false;
};

}  // namespace lumo::scanner
