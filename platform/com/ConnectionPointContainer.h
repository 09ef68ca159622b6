// ConnectionPointContainer: the connection points of one object, for the object to delegate
// its IConnectionPointContainer methods to.
//
//     class TLumoMain : public ComObject<TLumoMain, ILumoMain, IConnectionPointContainer> {
//         ConnectionPointContainer m_events{this, {DIID_IVIZErevorMainEvents}};
//         LUMO_CONNECTION_POINTS_FROM(m_events)
//     };
//
// The container makes one ConnectionPoint per event IID (each with maxSinks sinks, 1 by
// default: one host sink per control) and detaches them when destroyed. FindConnectionPoint of
// another IID is CONNECT_E_NOCONNECTION; EnumConnectionPoints is E_NOTIMPL.
#pragma once

#include <initializer_list>
#include <vector>

#include "platform/com/ConnectionPoint.h"

namespace lumo::com {

class ConnectionPointContainer {
public:
    ConnectionPointContainer(IConnectionPointContainer* owner, std::initializer_list<IID> eventIids,
                             std::size_t maxSinks = 1);
    ~ConnectionPointContainer();
    ConnectionPointContainer(const ConnectionPointContainer&) = delete;
    ConnectionPointContainer& operator=(const ConnectionPointContainer&) = delete;

    HRESULT findConnectionPoint(REFIID riid, IConnectionPoint** ppCP) const;
    HRESULT enumConnectionPoints(IEnumConnectionPoints** ppEnum) const;

    // The point for an IID; throws ComError(CONNECT_E_NOCONNECTION) for any other.
    ConnectionPoint& point(const IID& eventIid) const;
    // The first (usually only) point.
    ConnectionPoint& point() const { return *m_points.front(); }

private:
    std::vector<ComPtr<ConnectionPoint>> m_points;
};

#define LUMO_CONNECTION_POINTS_FROM(container)                                                     \
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override {      \
        return (container).enumConnectionPoints(ppEnum);                                           \
    }                                                                                              \
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override { \
        return (container).findConnectionPoint(riid, ppCP);                                        \
    }

}  // namespace lumo::com
