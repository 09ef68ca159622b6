// CardMessages: the texts Kestrel's card dialogs show for the control's card result codes.
//
// GetErrorMsg(code) is the error text of a write or empty result: 1 to 4 have their texts in
// the application text table (LANG_61 to LANG_64), every other code (0, -1 when the engine did
// not start and the control has already said why) the empty text. readResultText(code) is the
// verification dialog's text for the read results 1 to 3 (LANG_79 to LANG_81), empty
// otherwise. Texts are read from the table at the moment of the call. GUI thread only.
#pragma once

#include <QString>

namespace lumo::app {

QString GetErrorMsg(int result);
QString readResultText(int result);

}  // namespace lumo::app
