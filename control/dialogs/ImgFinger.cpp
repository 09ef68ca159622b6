#include "control/dialogs/ImgFinger.h"

#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

// The pictures are compiled into this static library; nothing else references them, so
// they are registered by hand before the first use.
static void registerDialogPictures() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(dialogs);
        return true;
    }();
    (void)registered;
}

namespace lumo::dialogs {

QImage loadPictureResource(const QString& name) {
    registerDialogPictures();
    for (const char* suffix : {".bmp", ".png"}) {
        const QString path = QStringLiteral(":/lumo/images/") + name + QLatin1String(suffix);
        if (!QFile::exists(path)) continue;
        QImage image(path);
        if (!image.isNull()) return image.convertToFormat(QImage::Format_RGB32);
    }
    throw ResourceError("Resource " + name.toStdString() + " not found");
}

QPixmap whiteTransparent(const QImage& picture) {
    QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(argb.scanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if ((line[x] & 0x00FFFFFFu) == 0x00FFFFFFu) line[x] = 0;
    }
    return QPixmap::fromImage(argb);
}

TImgFinger::TImgFinger(QWidget* owner) : QWidget(owner) {
    setObjectName(QStringLiteral("ImgFinger"));
    setMouseTracking(true);
    resize(257, 150);
}

void TImgFinger::setPicture(const QImage& picture) {
    m_picture = picture.convertToFormat(QImage::Format_RGB32);
    pictureChanged();
}

void TImgFinger::setStretch(bool on) {
    if (m_stretch == on) return;
    m_stretch = on;
    pictureChanged();
}

void TImgFinger::setTransparent(bool on) {
    if (m_transparent == on) return;
    m_transparent = on;
    pictureChanged();
}

void TImgFinger::LoadHand() {
    setPicture(loadPictureResource(QStringLiteral("HAND")));
    m_map.build(m_picture);
}

void TImgFinger::PaintFinger(int finger, const QColor& color) {
    if (finger < 1 || finger > HandMap::kFingerCount || m_picture.isNull()) return;
    const QRgb value = color.rgb();
    for (QPoint p : m_map.region(finger))
        if (m_picture.rect().contains(p)) m_picture.setPixel(p, value);
    pictureChanged();
}

void TImgFinger::pictureChanged() {
    if (m_picture.isNull()) {
        m_drawn = QPixmap();
    } else if (m_transparent) {
        // The transparent colour is the bottom-left pixel's, as for any bitmap picture.
        const QRgb key = m_picture.pixel(0, m_picture.height() - 1) & 0x00FFFFFFu;
        QImage argb = m_picture.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < argb.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(argb.scanLine(y));
            for (int x = 0; x < argb.width(); ++x)
                if ((line[x] & 0x00FFFFFFu) == key) line[x] = 0;
        }
        m_drawn = QPixmap::fromImage(argb);
    } else {
        m_drawn = QPixmap::fromImage(m_picture);
    }
    updateScale();
    update();
}

void TImgFinger::updateScale() {
    if (m_stretch && width() > 0 && height() > 0 && !m_picture.isNull()) {
        m_scaleX = double(m_picture.width()) / width();
        m_scaleY = double(m_picture.height()) / height();
    } else {
        m_scaleX = 1.0;
        m_scaleY = 1.0;
    }
}

void TImgFinger::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_stretch) pictureChanged();
}

void TImgFinger::paintEvent(QPaintEvent*) {
    if (m_drawn.isNull()) return;
    QPainter painter(this);
    if (m_stretch)
        painter.drawPixmap(rect(), m_drawn);
    else
        painter.drawPixmap(0, 0, m_drawn);
}

void TImgFinger::hitTest(QPoint clientPoint) {
    // The size may have changed while the control was hidden (no resize event yet).
    updateScale();
    m_curColor = QColor(0, 0, 0);
    const QPoint picturePoint(int(std::lround(clientPoint.x() * m_scaleX)),
                              int(std::lround(clientPoint.y() * m_scaleY)));
    m_curFinger = m_map.fingerAt(picturePoint);
    if (m_curFinger > 0) {
        setCursor(Qt::PointingHandCursor);
        m_curColor = QColor::fromRgb(m_picture.pixel(picturePoint));
    } else {
        setCursor(Qt::ArrowCursor);
    }
}

void TImgFinger::mouseMoveEvent(QMouseEvent* event) {
    hitTest(event->position().toPoint());
    QWidget::mouseMoveEvent(event);
    emit mouseMoved(event->position().toPoint());
}

void TImgFinger::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) m_pressed = true;
    QWidget::mousePressEvent(event);
}

void TImgFinger::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    QWidget::mouseReleaseEvent(event);
    if (click) emit clicked();
}

}  // namespace lumo::dialogs
