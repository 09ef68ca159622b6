#include "app/KestrelSkin.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPalette>

static void initKestrelResources() { Q_INIT_RESOURCE(kestrel); }

namespace lumo::app {

namespace {

// Renders the SVG at the size asked for, so toolbar icons stay sharp on any screen.
class SvgFileIconEngine final : public QIconEngine {
public:
    explicit SvgFileIconEngine(QString path) : m_path(std::move(path)) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        QImageReader reader(m_path);
        reader.setScaledSize(size);
        QImage image = reader.read();
        if (image.isNull()) return QPixmap(size);
        if (mode == QIcon::Disabled) {
            // Grey and faded, as the disabled buttons of the skin.
            image = image.convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < image.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < image.width(); ++x) {
                    const int grey = qGray(line[x]);
                    line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) * 45 / 100);
                }
            }
        }
        return QPixmap::fromImage(image);
    }
    QIconEngine* clone() const override { return new SvgFileIconEngine(m_path); }

private:
    QString m_path;
};

}  // namespace

QString applicationTitle() {
    return QString::fromLatin1(kProductName) + QLatin1Char(' ') + QString::fromLatin1(kVersionText);
}

QString kestrelStyleSheet() {
    initKestrelResources();
    QFile file(QStringLiteral(":/kestrel/kestrel.qss"));
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(file.readAll());
}

void applyKestrelSkin(QApplication& app) {
    initKestrelResources();
    app.setStyle(QStringLiteral("Fusion"));
    QFont font = app.font();
    // Latin text in a clean sans face; CJK falls back to Noto Sans CJK through fontconfig.
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Noto Sans CJK TC")});
    font.setPointSize(9);
    app.setFont(font);
    app.setStyleSheet(kestrelStyleSheet());
    app.setWindowIcon(kestrelIcon(QStringLiteral("logo")));
}

QIcon kestrelIcon(const QString& name) {
    initKestrelResources();
    return QIcon(
        new SvgFileIconEngine(QStringLiteral(":/kestrel/icons/") + name + QStringLiteral(".svg")));
}

QPixmap kestrelPixmap(const QString& name, int size) {
    return kestrelIcon(name).pixmap(size, size);
}

}  // namespace lumo::app
