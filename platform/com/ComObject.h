// ComObject: the reference-counted base of every object that implements interfaces.
//
//     class Sink final : public lumo::com::ComObject<Sink, IDispatch> { ... };
//     lumo::com::ComPtr<Sink> sink = lumo::com::makeObject<Sink>(args...);
//
// It implements QueryInterface (IUnknown, each listed interface and that interface's parents,
// e.g. IDispatch for a dual interface), AddRef and Release. An object starts with one
// reference, owned by whoever created it (makeObject hands it to a ComPtr); the last Release
// deletes it. More IIDs can be answered by overriding queryExtraInterface. Counting is atomic,
// but objects are otherwise used on the thread that created them.
//
// moduleObjectCount() counts the objects of this library (copy of the layer) alive, which is
// what DllCanUnloadNow reports together with the lock count of IClassFactory::LockServer.
#pragma once

#include <atomic>
#include <utility>

#include "platform/com/ComPtr.h"
#include "platform/com/Unknown.h"

namespace lumo::com {

namespace internal {
std::atomic<long>& moduleObjects();
std::atomic<long>& moduleLocks();

template <class Interface, class Object>
void* castIfMatches(Object* object, REFIID iid) {
    if constexpr (std::is_same_v<Interface, void>) {
        return nullptr;
    } else {
        if (iid == InterfaceTraits<Interface>::iid) return static_cast<Interface*>(object);
        using Parent = typename InterfaceTraits<Interface>::Parent;
        if constexpr (!std::is_same_v<Parent, void>) {
            // Through Interface, so that a parent shared by several interfaces is unambiguous.
            if (void* p = castIfMatches<Parent>(static_cast<Interface*>(object), iid)) return p;
        }
        return nullptr;
    }
}
}  // namespace internal

long moduleObjectCount();
long moduleLockCount();

template <class Derived, class FirstInterface, class... MoreInterfaces>
class ComObject : public FirstInterface, public MoreInterfaces... {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        void* found = nullptr;
        if (iid == IID_IUnknown) {
            found = static_cast<IUnknown*>(static_cast<FirstInterface*>(this));
        } else {
            found = internal::castIfMatches<FirstInterface>(this, iid);
            ((found = found ? found : internal::castIfMatches<MoreInterfaces>(this, iid)), ...);
            if (!found) found = queryExtraInterface(iid);
        }
        if (!found) return E_NOINTERFACE;
        AddRef();
        *ppv = found;
        return S_OK;
    }

    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }

    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_references;
        if (left == 0) delete this;
        return left;
    }

    // For tests and diagnostics only.
    ULONG referenceCount() const { return m_references.load(); }

protected:
    ComObject() { ++internal::moduleObjects(); }
    virtual ~ComObject() { --internal::moduleObjects(); }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    // Further interfaces (already cast to the right pointer), or null.
    virtual void* queryExtraInterface(REFIID) { return nullptr; }

private:
    std::atomic<ULONG> m_references{1};
};

// A new object, owned by the returned pointer.
template <class T, class... Args>
ComPtr<T> makeObject(Args&&... args) {
    return ComPtr<T>::attach(new T(std::forward<Args>(args)...));
}

}  // namespace lumo::com
