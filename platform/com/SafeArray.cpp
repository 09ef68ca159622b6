#include "platform/com/SafeArray.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/com/ComError.h"
#include "platform/com/Variant.h"
#include "platform/com/internal/Runtime.h"

namespace {

// The descriptor is preceded by a marker and the element type (as Windows keeps the VARTYPE
// just before a FADF_HAVEVARTYPE descriptor); the data is a separate block.
struct ArrayHeader {
    std::uint32_t marker;
    std::uint32_t vartype;
};
static_assert(sizeof(ArrayHeader) == 8);

constexpr std::uint32_t kLive = 0x53414152;   // "SAAR"
constexpr std::uint32_t kFreed = 0x46524545;  // "FREE"

ArrayHeader* headerOf(SAFEARRAY* psa) { return reinterpret_cast<ArrayHeader*>(psa) - 1; }

bool isLive(SAFEARRAY* psa) { return psa && headerOf(psa)->marker == kLive; }

}  // namespace

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements) {
    if (vt != VT_UI1) return nullptr;
    // The last index must stay representable as a LONG.
    if (static_cast<long long>(lLbound) + cElements - 1 > 0x7FFFFFFFLL) return nullptr;
    void* block = std::malloc(sizeof(ArrayHeader) + sizeof(SAFEARRAY));
    if (!block) return nullptr;
    void* data = std::calloc(cElements ? cElements : 1, 1);
    if (!data) {
        std::free(block);
        return nullptr;
    }
    auto* header = static_cast<ArrayHeader*>(block);
    header->marker = kLive;
    header->vartype = vt;
    auto* psa = reinterpret_cast<SAFEARRAY*>(header + 1);
    psa->cDims = 1;
    psa->fFeatures = FADF_HAVEVARTYPE;
    psa->cbElements = 1;
    psa->cLocks = 0;
    psa->pvData = data;
    psa->rgsabound[0].cElements = cElements;
    psa->rgsabound[0].lLbound = lLbound;
    lumo::com::internal::runtime().liveArrays.fetch_add(1);
    return psa;
}

HRESULT SafeArrayDestroy(SAFEARRAY* psa) {
    if (!psa) return S_OK;
    if (!isLive(psa)) {
        lumo::com::internal::reportBadFree("SAFEARRAY", psa);
        return E_INVALIDARG;
    }
    if (psa->cLocks > 0) return DISP_E_ARRAYISLOCKED;
    headerOf(psa)->marker = kFreed;
    std::free(psa->pvData);
    std::free(headerOf(psa));
    lumo::com::internal::runtime().liveArrays.fetch_sub(1);
    return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut) {
    if (!ppsaOut) return E_POINTER;
    *ppsaOut = nullptr;
    if (!psa) return S_OK;
    if (!isLive(psa)) return E_INVALIDARG;
    SAFEARRAY* copy = SafeArrayCreateVector(static_cast<VARTYPE>(headerOf(psa)->vartype),
                                            psa->rgsabound[0].lLbound, psa->rgsabound[0].cElements);
    if (!copy) return E_OUTOFMEMORY;
    std::memcpy(copy->pvData, psa->pvData,
                static_cast<std::size_t>(psa->rgsabound[0].cElements) * psa->cbElements);
    *ppsaOut = copy;
    return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* psa) {
    if (!isLive(psa)) return E_INVALIDARG;
    ++psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* psa) {
    if (!isLive(psa)) return E_INVALIDARG;
    if (psa->cLocks == 0) return E_UNEXPECTED;
    --psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData) {
    if (!ppvData) return E_INVALIDARG;
    *ppvData = nullptr;
    const HRESULT hr = SafeArrayLock(psa);
    if (FAILED(hr)) return hr;
    *ppvData = psa->pvData;
    return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* psa) { return SafeArrayUnlock(psa); }

HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound) {
    if (!isLive(psa) || !plUbound) return E_INVALIDARG;
    if (nDim != 1) return DISP_E_BADINDEX;
    *plUbound = static_cast<LONG>(static_cast<long long>(psa->rgsabound[0].lLbound) +
                                  psa->rgsabound[0].cElements - 1);
    return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound) {
    if (!isLive(psa) || !plLbound) return E_INVALIDARG;
    if (nDim != 1) return DISP_E_BADINDEX;
    *plLbound = psa->rgsabound[0].lLbound;
    return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* psa) { return isLive(psa) ? psa->cDims : 0; }

UINT SafeArrayGetElemsize(SAFEARRAY* psa) { return isLive(psa) ? psa->cbElements : 0; }

HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt) {
    if (!isLive(psa) || !pvt) return E_INVALIDARG;
    *pvt = static_cast<VARTYPE>(headerOf(psa)->vartype);
    return S_OK;
}

namespace lumo::com {

SAFEARRAY* byteArrayFromVector(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() > 0x7FFFFFFFu) throw std::bad_alloc();
    SAFEARRAY* psa = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (!psa) throw std::bad_alloc();
    if (!bytes.empty()) std::memcpy(psa->pvData, bytes.data(), bytes.size());
    return psa;
}

std::vector<std::uint8_t> vectorFromByteArray(SAFEARRAY* psa) {
    VARTYPE vt = VT_EMPTY;
    if (!psa || FAILED(SafeArrayGetVartype(psa, &vt)) || vt != VT_UI1 || psa->cDims != 1) {
        throw ComError(DISP_E_TYPEMISMATCH, "Expected a one-dimensional array of bytes");
    }
    const auto* data = static_cast<const std::uint8_t*>(psa->pvData);
    return std::vector<std::uint8_t>(data, data + psa->rgsabound[0].cElements);
}

long liveSafeArrayCount() { return internal::runtime().liveArrays.load(); }

}  // namespace lumo::com
