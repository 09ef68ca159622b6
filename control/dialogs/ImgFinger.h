// TImgFinger: the hand picture control. Shows a drawing of two hands, tells which finger the
// mouse pointer is over (CurFinger, CurColor, hand-point cursor) and colours single fingers.
//
// Finger numbers 1 to 5 are the thumb to the little finger of the hand marked L, 6 to 10 those
// of the hand marked R. The control owns its picture (setPicture copies); LoadHand loads the
// "HAND" picture from the resources and builds the finger map once; later picture changes
// recolour pixels but never rebuild the map, so the hit test also works on coloured fingers.
// With Stretch the picture fills the control and mouse points are scaled to picture pixels.
// With Transparent, pixels of the picture's transparent colour (its bottom-left pixel: white
// for the hand picture) are not drawn.
//
// clicked() is the toolkit's click: a press and release of the left button inside the control.
// Errors: LoadHand throws ResourceError when the "HAND" picture is missing. GUI thread only.
#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <stdexcept>

#include "control/dialogs/HandMap.h"

namespace lumo::dialogs {

// A picture the dialogs need is missing from the library's resources.
class ResourceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The picture resource of the given name ("HAND", "LUMO", "RegisterBG", "CheckBG").
// Throws ResourceError when there is none.
QImage loadPictureResource(const QString& name);
// The picture with its pure white pixels made fully transparent.
QPixmap whiteTransparent(const QImage& picture);

class TImgFinger : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool Stretch READ Stretch WRITE setStretch)
    Q_PROPERTY(bool Transparent READ Transparent WRITE setTransparent)
    Q_PROPERTY(int CurFinger READ CurFinger WRITE setCurFinger)
    Q_PROPERTY(QColor CurColor READ CurColor WRITE setCurColor)
public:
    explicit TImgFinger(QWidget* owner = nullptr);

    const QImage& Picture() const { return m_picture; }
    void setPicture(const QImage& picture);
    bool Stretch() const { return m_stretch; }
    void setStretch(bool on);
    bool Transparent() const { return m_transparent; }
    void setTransparent(bool on);
    int CurFinger() const { return m_curFinger; }
    void setCurFinger(int finger) { m_curFinger = finger; }
    // Black (TColor 0) when no finger was under the pointer.
    QColor CurColor() const { return m_curColor; }
    void setCurColor(const QColor& color) { m_curColor = color; }

    void LoadHand();
    // Sets every pixel of finger 1 to 10 to color; other numbers do nothing.
    void PaintFinger(int finger, const QColor& color);

    const HandMap& handMap() const { return m_map; }
    // Picture pixels per client pixel.
    double horizontalScale() {
        updateScale();
        return m_scaleX;
    }
    double verticalScale() {
        updateScale();
        return m_scaleY;
    }

signals:
    void clicked();
    void mouseMoved(QPoint clientPoint);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The picture-changed step: drawn form of the picture, scale, repaint.
    void pictureChanged();
    void hitTest(QPoint clientPoint);
    void updateScale();

    QImage m_picture;
    QPixmap m_drawn;
    HandMap m_map;
    bool m_stretch = false;
    bool m_transparent = false;
    bool m_pressed = false;
    int m_curFinger = 0;
    QColor m_curColor = QColor(0, 0, 0);
    double m_scaleX = 1.0;
    double m_scaleY = 1.0;
};

}  // namespace lumo::dialogs
