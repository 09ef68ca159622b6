#include "app/PhotoView.h"

#include <QPainter>
#include <QStyleOption>

namespace lumo::app {

void PhotoView::paintEvent(QPaintEvent* event) {
    const QPixmap picture = pixmap();
    if (picture.isNull()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    option.state |= QStyle::State_Enabled;
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    const QRect target = QStyle::alignedRect(layoutDirection(), Qt::AlignCenter,
                                             picture.deviceIndependentSize().toSize(), rect());
    painter.drawPixmap(target, picture);
}

}  // namespace lumo::app
