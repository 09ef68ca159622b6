// SAFEARRAY (Windows layout), for the one kind automation here needs: a one-dimensional array
// of bytes (VT_UI1), as template values travel in VARIANTs of type VT_ARRAY|VT_UI1.
//
// SafeArrayCreateVector makes other element types fail (null), so every array alive is a byte
// vector. The caller of a function that returns an array owns it and destroys it with
// SafeArrayDestroy; a locked array (AccessData without UnaccessData) refuses destruction with
// DISP_E_ARRAYISLOCKED. A destroy of an array that is not alive is reported and counted
// (badFreeCount in Bstr.h) instead of freeing twice. liveSafeArrayCount() is process-wide.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/com/ComTypes.h"

struct SAFEARRAYBOUND {
    ULONG cElements;
    LONG lLbound;
};

struct SAFEARRAY {
    USHORT cDims;
    USHORT fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    void* pvData;
    SAFEARRAYBOUND rgsabound[1];
};

constexpr USHORT FADF_HAVEVARTYPE = 0x0080;

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements);
HRESULT SafeArrayDestroy(SAFEARRAY* psa);
HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut);
HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData);
HRESULT SafeArrayUnaccessData(SAFEARRAY* psa);
HRESULT SafeArrayLock(SAFEARRAY* psa);
HRESULT SafeArrayUnlock(SAFEARRAY* psa);
// nDim counts from 1.
HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound);
HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound);
UINT SafeArrayGetDim(SAFEARRAY* psa);
UINT SafeArrayGetElemsize(SAFEARRAY* psa);
HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt);

namespace lumo::com {

// A new byte vector with lower bound 0; throws std::bad_alloc when memory runs out.
SAFEARRAY* byteArrayFromVector(const std::vector<std::uint8_t>& bytes);
// The bytes of a one-dimensional byte array; throws ComError(DISP_E_TYPEMISMATCH) for null or
// any other kind of array.
std::vector<std::uint8_t> vectorFromByteArray(SAFEARRAY* psa);

long liveSafeArrayCount();

}  // namespace lumo::com
