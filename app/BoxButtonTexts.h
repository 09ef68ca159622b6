// Captions of the message box buttons (OK, Yes, No), which the application text table does
// not hold. They follow the language of the loaded language file, told by the extension of
// the control language file it names ("lumo.chs" Simplified Chinese, "lumo.cht" Traditional
// Chinese, "lumo.spa"/"lumo.esp" Spanish); anything else gets the English captions.
#pragma once

#include <QString>

namespace lumo::app {

struct BoxButtonTexts {
    QString ok;
    QString yes;
    QString no;
};

BoxButtonTexts boxButtonTexts(const QString& controlLanguageFile);

}  // namespace lumo::app
