#include "app/card/CardMessages.h"

#include "app/LanguageTable.h"

namespace lumo::app {

QString GetErrorMsg(int result) {
    if (result >= 1 && result <= 4) return LANG(60 + result);
    return QString();
}

QString readResultText(int result) {
    if (result >= 1 && result <= 3) return LANG(78 + result);
    return QString();
}

}  // namespace lumo::app
