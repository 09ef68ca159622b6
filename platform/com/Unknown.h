// IUnknown, the root of every interface, and the compile-time link from an interface class to
// its IID (InterfaceTraits), which ComObject and ComPtr use for QueryInterface.
//
// Interfaces are classes of pure virtual functions without a virtual destructor, so their
// vtable is the COM vtable; the destructor is protected so that nobody deletes an object
// through an interface pointer (Release does that). Reference counting is per object; the
// objects of this system live on their creating (apartment) thread unless a class says more.
#pragma once

#include "platform/com/ComTypes.h"
#include "platform/com/Guid.h"

namespace lumo::com {
// Specialised for every interface by LUMO_COM_INTERFACE: iid and the parent interface.
template <class Interface>
struct InterfaceTraits;
}  // namespace lumo::com

// Use at global scope, right after the interface: LUMO_COM_INTERFACE(IFoo, IUnknown, IID_IFoo);
#define LUMO_COM_INTERFACE(Interface, ParentInterface, iidValue) \
    template <>                                                  \
    struct lumo::com::InterfaceTraits<Interface> {               \
        using Parent = ParentInterface;                          \
        static constexpr const GUID& iid = iidValue;             \
    }

inline constexpr IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;

protected:
    ~IUnknown() = default;
};
LUMO_COM_INTERFACE(IUnknown, void, IID_IUnknown);
