#include "control/core/LumoForm.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include "control/language/FormRegistry.h"

namespace lumo::control {

namespace {

// The product logo, drawn rather than loaded so the library carries no image files.
QPixmap logoPicture() {
    QPixmap picture(133, 60);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x00, 0x66, 0xCC), 3));
    for (int r = 8; r <= 24; r += 6)
        painter.drawArc(QRect(30 - r, 30 - r, 2 * r, 2 * r), 30 * 16, 300 * 16);
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(22);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(58, 0, 75, 60), Qt::AlignVCenter | Qt::AlignLeft,
                     QStringLiteral("LUMO"));
    return picture;
}

}  // namespace

LumoForm::LumoForm(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("LumoMain"));
    setWindowTitle(QStringLiteral("LUMO 3.0.0"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    QFont formFont(QStringLiteral("MS Sans Serif"));
    formFont.setPixelSize(11);
    setFont(formFont);

    m_image1 = new QLabel(this);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setGeometry(0, 0, 133, 60);
    m_image1->setPixmap(logoPicture());
    m_image1->setAttribute(Qt::WA_TransparentForMouseEvents);

    // The engine has no picture of its own here; the site keeps the form's layout.
    m_engineSite = new QWidget(this);
    m_engineSite->setObjectName(QStringLiteral("FPEngine"));
    m_engineSite->setGeometry(96, 0, 24, 24);
    m_engineSite->setAttribute(Qt::WA_TransparentForMouseEvents);

    // Auto-size with a border of one pixel.
    setContentsMargins(1, 1, 1, 1);
    setFixedSize(133 + 2, 60 + 2);
    m_image1->move(1, 1);
    m_engineSite->move(97, 1);
    setFocusPolicy(Qt::StrongFocus);
    language::registerForm(this);
}

LumoForm::~LumoForm() { language::unregisterForm(this); }

void LumoForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) {
        const auto& handler = isActiveWindow() ? events.activate : events.deactivate;
        if (auto h = handler) h();
    }
    QWidget::changeEvent(event);
}

void LumoForm::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        if (auto h = events.click) h();
    }
    QWidget::mouseReleaseEvent(event);
}

void LumoForm::mouseDoubleClickEvent(QMouseEvent* event) {
    if (auto h = events.dblClick) h();
    QWidget::mouseDoubleClickEvent(event);
}

void LumoForm::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    auto h = events.keyPress;
    if (!h || text.size() != 1) {
        QWidget::keyPressEvent(event);
        return;
    }
    const short key = static_cast<short>(text.at(0).unicode());
    const short processed = h(key);
    if (processed == 0) {
        event->accept();  // the host swallowed the key
        return;
    }
    if (processed == key) {
        QWidget::keyPressEvent(event);
        return;
    }
    QKeyEvent replaced(event->type(), event->key(), event->modifiers(),
                       QString(QChar(static_cast<char16_t>(processed))), event->isAutoRepeat());
    QWidget::keyPressEvent(&replaced);
}

void LumoForm::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (auto h = events.paint) h();
}

}  // namespace lumo::control
