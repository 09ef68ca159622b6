#include "control/core/LumoDispatch.h"

namespace lumo::control {

HRESULT lumoGetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

HRESULT lumoInvoke(ILumoMain*, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                   UINT*)
{
    return E_NOTIMPL;
}

}  // namespace lumo::control
