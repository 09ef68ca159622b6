#include "app/BoxButtonTexts.h"

#include <QFileInfo>

namespace lumo::app {

BoxButtonTexts boxButtonTexts(const QString& controlLanguageFile) {
    const QString extension = QFileInfo(controlLanguageFile).suffix().toLower();
    if (extension == QLatin1String("chs"))
        return {QString::fromUtf8("确定"), QString::fromUtf8("是(&Y)"),
                QString::fromUtf8("否(&N)")};
    if (extension == QLatin1String("cht"))
        return {QString::fromUtf8("確定"), QString::fromUtf8("是(&Y)"),
                QString::fromUtf8("否(&N)")};
    if (extension == QLatin1String("spa") || extension == QLatin1String("esp"))
        return {QStringLiteral("Aceptar"), QString::fromUtf8("&Sí"), QStringLiteral("&No")};
    return {QStringLiteral("OK"), QStringLiteral("&Yes"), QStringLiteral("&No")};
}

}  // namespace lumo::app
