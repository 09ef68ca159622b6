// Kestrel's look: the style sheet and the program's own icons, compiled into the program.
//
//     applyKestrelSkin(app);                  // once, after the QApplication exists
//     button->setIcon(kestrelIcon("save"));   // icons/<name>.svg, drawn sharp at any size
//
// Names: the product name and version shown in titles. GUI thread only.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

class QApplication;

namespace lumo::app {

inline constexpr const char* kProductName = "Vantor Kestrel";
inline constexpr const char* kVersionText = "v2.0.0";
// "Vantor Kestrel v2.0.0"
QString applicationTitle();

void applyKestrelSkin(QApplication& app);
QString kestrelStyleSheet();
QIcon kestrelIcon(const QString& name);
QPixmap kestrelPixmap(const QString& name, int size);

}  // namespace lumo::app
