#include "platform/com/ConnectionPointContainer.h"

#include "platform/com/ComError.h"

namespace lumo::com {

ConnectionPointContainer::ConnectionPointContainer(IConnectionPointContainer* owner,
                                                   std::initializer_list<IID> eventIids,
                                                   std::size_t maxSinks) {
    for (const IID& iid : eventIids) {
        m_points.push_back(makeObject<ConnectionPoint>(owner, iid, maxSinks));
    }
    if (m_points.empty()) throw ComError(E_INVALIDARG, "A container needs an event interface");
}

ConnectionPointContainer::~ConnectionPointContainer() {
    for (const auto& point : m_points) point->detachContainer();
}

HRESULT ConnectionPointContainer::findConnectionPoint(REFIID riid, IConnectionPoint** ppCP) const {
    if (!ppCP) return E_POINTER;
    *ppCP = nullptr;
    for (const auto& point : m_points) {
        if (point->eventIid() == riid) {
            point->AddRef();
            *ppCP = point.get();
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

HRESULT ConnectionPointContainer::enumConnectionPoints(IEnumConnectionPoints** ppEnum) const {
    if (ppEnum) *ppEnum = nullptr;
    return E_NOTIMPL;
}

ConnectionPoint& ConnectionPointContainer::point(const IID& eventIid) const {
    for (const auto& point : m_points) {
        if (point->eventIid() == eventIid) return *point;
    }
    throw ComError(CONNECT_E_NOCONNECTION, "No connection point for " + guidToString(eventIid));
}

}  // namespace lumo::com
