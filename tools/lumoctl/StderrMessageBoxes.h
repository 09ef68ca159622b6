// StderrMessageBoxes: answers the control's message boxes without showing them.
//
// Each box is written to the error stream as "box: TEXT" and answered at once: an OK box with
// Ok, a Yes/No box with the answer chosen on the command line (Yes unless --answer no), so that
// a script never waits for a user.
#pragma once

#include <ostream>

#include "control/resources/Lumo_TLB.h"
#include "platform/com/ComObject.h"

namespace lumo::lumoctl {

class StderrMessageBoxes final : public com::ComObject<StderrMessageBoxes, ILumoMessageBoxHandler> {
public:
    StderrMessageBoxes(std::ostream& err, bool answerYes) : m_err(err), m_answerYes(answerYes) {}

    HRESULT STDMETHODCALLTYPE ShowMessageBox(LumoMessageIcon icon, BSTR text,
                                             LumoMessageButtons buttons,
                                             LumoMessageAnswer* answer) override;

private:
    std::ostream& m_err;
    bool m_answerYes;
};

}  // namespace lumo::lumoctl
