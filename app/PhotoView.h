// PhotoView: the picture box of the detail panel. The picture keeps its colours while the
// panel is disabled in browse mode (a photo is content, not a control).
#pragma once

#include <QLabel>

namespace lumo::app {

class PhotoView final : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace lumo::app
