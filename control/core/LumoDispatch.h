// IDispatch of ILumoMain: names and DISPIDs to vtable calls, driven by the member table.
#pragma once

#include "control/resources/Lumo_TLB.h"

namespace lumo::control {

HRESULT lumoGetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids);
HRESULT lumoInvoke(ILumoMain* object, DISPID member, REFIID riid, LCID lcid, WORD flags,
                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr);

}  // namespace lumo::control
