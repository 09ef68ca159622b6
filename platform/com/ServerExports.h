// The four entry points of an in-process server library, with C linkage and default
// visibility, as CoCreateInstance and regsvr look them up with dlsym. A server library
// defines exactly these (lumo::com::ObjectFactory and Registration.h help); hosts only use
// the function pointer types.
#pragma once

#include "platform/com/Guid.h"

extern "C" {
// S_OK and an IClassFactory (riid) for a class the library serves, else
// CLASS_E_CLASSNOTAVAILABLE.
LUMO_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
// S_OK when no object of the library is alive and no factory lock is held, else S_FALSE.
LUMO_EXPORT HRESULT DllCanUnloadNow();
// Write or remove the library's registry entries; failures set error info.
LUMO_EXPORT HRESULT DllRegisterServer();
LUMO_EXPORT HRESULT DllUnregisterServer();
}

using DllGetClassObjectFunction = HRESULT (*)(REFCLSID, REFIID, void**);
using DllCanUnloadNowFunction = HRESULT (*)();
using DllRegisterServerFunction = HRESULT (*)();
using DllUnregisterServerFunction = HRESULT (*)();
