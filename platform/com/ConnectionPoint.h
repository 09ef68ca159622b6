// ConnectionPoint: one outgoing (event) interface of an object and the sinks connected to it.
//
// A sink is kept as IDispatch: Advise asks the sink for the event interface's IID first (a
// sink of a dispatch-only event interface answers it with its IDispatch vtable), then for
// IDispatch; a sink that has neither is CONNECT_E_CANNOTCONNECT. At most maxSinks sinks are
// held (CONNECT_E_ADVISELIMIT beyond); cookies start at 1 and are never reused. fire() calls
// Invoke(DISPATCH_METHOD) on every sink with the arguments in declaration order (they are
// reversed into DISPPARAMS here); with no sink it does nothing and succeeds.
//
// The point is owned by its container (ConnectionPointContainer), which detaches it when the
// container goes; a host still holding the point then gets E_UNEXPECTED from
// GetConnectionPointContainer. Used on the object's apartment thread only.
#pragma once

#include <vector>

#include "platform/com/ComObject.h"
#include "platform/com/ConnectionPoints.h"
#include "platform/com/Dispatch.h"

namespace lumo::com {

class ConnectionPoint final : public ComObject<ConnectionPoint, IConnectionPoint> {
public:
    ConnectionPoint(IConnectionPointContainer* container, const IID& eventIid,
                    std::size_t maxSinks);

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* pIID) override;
    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwCookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** ppEnum) override;

    const IID& eventIid() const { return m_iid; }
    bool hasSinks() const { return !m_sinks.empty(); }
    std::size_t sinkCount() const { return m_sinks.size(); }
    // Invokes the event on every sink; returns the first failure of a sink, else S_OK. A VT_BYREF
    // argument lets a sink hand a value back (e.g. a key code).
    HRESULT fire(DISPID dispid, const std::vector<VARIANT>& arguments = {});

    void detachContainer() { m_container = nullptr; }

private:
    struct Sink {
        DWORD cookie;
        ComPtr<IDispatch> dispatch;
    };

    IConnectionPointContainer* m_container;  // not owned: the container owns this point
    IID m_iid;
    std::size_t m_maxSinks;
    DWORD m_nextCookie = 1;
    std::vector<Sink> m_sinks;
};

}  // namespace lumo::com
