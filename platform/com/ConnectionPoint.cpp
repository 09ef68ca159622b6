#include "platform/com/ConnectionPoint.h"

#include <algorithm>

namespace lumo::com {

ConnectionPoint::ConnectionPoint(IConnectionPointContainer* container, const IID& eventIid,
                                 std::size_t maxSinks)
    : m_container(container), m_iid(eventIid), m_maxSinks(maxSinks) {}

HRESULT ConnectionPoint::GetConnectionInterface(IID* pIID) {
    if (!pIID) return E_POINTER;
    *pIID = m_iid;
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** ppCPC) {
    if (!ppCPC) return E_POINTER;
    *ppCPC = m_container;
    if (!m_container) return E_UNEXPECTED;
    m_container->AddRef();
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* pUnkSink, DWORD* pdwCookie) {
    if (!pdwCookie) return E_POINTER;
    *pdwCookie = 0;
    if (!pUnkSink) return E_POINTER;
    if (m_sinks.size() >= m_maxSinks) return CONNECT_E_ADVISELIMIT;
    void* raw = nullptr;
    if (FAILED(pUnkSink->QueryInterface(m_iid, &raw)) || !raw) {
        raw = nullptr;
        if (FAILED(pUnkSink->QueryInterface(IID_IDispatch, &raw)) || !raw) {
            return CONNECT_E_CANNOTCONNECT;
        }
    }
    const DWORD cookie = m_nextCookie++;
    m_sinks.push_back({cookie, ComPtr<IDispatch>::attach(static_cast<IDispatch*>(raw))});
    *pdwCookie = cookie;
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD dwCookie) {
    const auto it = std::find_if(m_sinks.begin(), m_sinks.end(),
                                 [dwCookie](const Sink& s) { return s.cookie == dwCookie; });
    if (it == m_sinks.end()) return CONNECT_E_NOCONNECTION;
    // Released after removal: the sink's destructor may call back into this point.
    ComPtr<IDispatch> sink = std::move(it->dispatch);
    m_sinks.erase(it);
    return S_OK;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** ppEnum) {
    if (ppEnum) *ppEnum = nullptr;
    return E_NOTIMPL;
}

HRESULT ConnectionPoint::fire(DISPID dispid, const std::vector<VARIANT>& arguments) {
    if (m_sinks.empty()) return S_OK;
    std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
    // A sink may disconnect (itself or others) while handling the event.
    std::vector<ComPtr<IDispatch>> sinks;
    for (const Sink& s : m_sinks) sinks.push_back(s.dispatch);
    HRESULT first = S_OK;
    for (const ComPtr<IDispatch>& sink : sinks) {
        DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr,
                          static_cast<UINT>(reversed.size()), 0};
        EXCEPINFO excep{};
        const HRESULT hr = sink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                        &params, nullptr, &excep, nullptr);
        clearExcepInfo(&excep);
        if (FAILED(hr) && SUCCEEDED(first)) first = hr;
    }
    return first;
}

}  // namespace lumo::com
