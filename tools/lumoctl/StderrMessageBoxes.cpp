#include "tools/lumoctl/StderrMessageBoxes.h"

#include "platform/com/Bstr.h"

namespace lumo::lumoctl {

HRESULT StderrMessageBoxes::ShowMessageBox(LumoMessageIcon, BSTR text, LumoMessageButtons buttons,
                                           LumoMessageAnswer* answer) {
    if (!answer) return E_POINTER;
    m_err << "box: " << com::bstrToUtf8(text) << std::endl;
    *answer = buttons == lmbYesNo ? (m_answerYes ? lmaYes : lmaNo) : lmaOk;
    return S_OK;
}

}  // namespace lumo::lumoctl
