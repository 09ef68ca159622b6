#include <gtest/gtest.h>

#include "TestObjects.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ConnectionPoints.h"
#include "platform/com/ErrorInfo.h"

using lumo::com::ComPtr;

namespace {

// A dual interface of its own: answers its IID and, through its parent, IDispatch.
inline constexpr IID IID_IGadget = {
    0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
class IGadget : public IDispatch {
public:
    virtual HRESULT STDMETHODCALLTYPE Ping(LONG* out) = 0;

protected:
    ~IGadget() = default;
};

}  // namespace
LUMO_COM_INTERFACE(IGadget, IDispatch, IID_IGadget);

namespace {

class Gadget final : public lumo::com::ComObject<Gadget, IGadget, ISupportErrorInfo> {
public:
    explicit Gadget(int* destructions) : m_destructions(destructions) {}
    ~Gadget() override { ++*m_destructions; }

    HRESULT STDMETHODCALLTYPE Ping(LONG* out) override {
        *out = 7;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
        return riid == IID_IGadget ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    int* m_destructions;
};

}  // namespace

TEST(ComObjectTest, QueryInterfaceAnswersInterfacesAndTheirParents) {
    int destructions = 0;
    {
        auto gadget = lumo::com::makeObject<Gadget>(&destructions);
        EXPECT_EQ(gadget->referenceCount(), 1u);

        struct Case {
            const char* name;
            const IID& iid;
            HRESULT hr;
        };
        const Case cases[] = {
            {"IUnknown", IID_IUnknown, S_OK},
            {"own interface", IID_IGadget, S_OK},
            {"its parent", IID_IDispatch, S_OK},
            {"second interface", IID_ISupportErrorInfo, S_OK},
            {"not implemented", IID_IConnectionPointContainer, E_NOINTERFACE},
            {"class factory", IID_IClassFactory, E_NOINTERFACE},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            void* p = reinterpret_cast<void*>(0x1);
            EXPECT_EQ(gadget->QueryInterface(c.iid, &p), c.hr);
            if (c.hr == S_OK) {
                ASSERT_NE(p, nullptr);
                EXPECT_EQ(gadget->referenceCount(), 2u);
                static_cast<IUnknown*>(p)->Release();
            } else {
                EXPECT_EQ(p, nullptr);
            }
        }
        EXPECT_EQ(gadget->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
        EXPECT_EQ(gadget->referenceCount(), 1u);
    }
    EXPECT_EQ(destructions, 1);
}

TEST(ComObjectTest, IdentityIsTheSameFromEveryInterface) {
    int destructions = 0;
    auto gadget = lumo::com::makeObject<Gadget>(&destructions);
    auto viaSupport = gadget.query<ISupportErrorInfo>();
    auto viaDispatch = gadget.query<IDispatch>();
    ASSERT_TRUE(viaSupport && viaDispatch);
    EXPECT_NE(static_cast<void*>(viaSupport.get()), static_cast<void*>(viaDispatch.get()));
    auto unknown1 = viaSupport.query<IUnknown>();
    auto unknown2 = viaDispatch.query<IUnknown>();
    EXPECT_EQ(unknown1.get(), unknown2.get());
    // A call through the second vtable reaches the same object.
    EXPECT_EQ(viaSupport->InterfaceSupportsErrorInfo(IID_IGadget), S_OK);
    auto gadgetAgain = unknown1.query<IGadget>();
    LONG out = 0;
    ASSERT_TRUE(gadgetAgain);
    EXPECT_EQ(gadgetAgain->Ping(&out), S_OK);
    EXPECT_EQ(out, 7);
    EXPECT_EQ(gadget->referenceCount(), 6u);
}

TEST(ComObjectTest, ReferencesAreCountedAndReleasedOnce) {
    int destructions = 0;
    const long objects = lumo::com::moduleObjectCount();
    IGadget* raw = lumo::com::makeObject<Gadget>(&destructions).detach();
    EXPECT_EQ(lumo::com::moduleObjectCount(), objects + 1);
    EXPECT_EQ(raw->AddRef(), 2u);
    {
        ComPtr<IGadget> copy(raw);  // takes its own reference
        ComPtr<IGadget> second = copy;
        ComPtr<IGadget> moved = std::move(second);
        EXPECT_FALSE(second);
        EXPECT_EQ(raw->AddRef(), 5u);
        raw->Release();
    }
    EXPECT_EQ(raw->Release(), 1u);
    EXPECT_EQ(destructions, 0);
    EXPECT_EQ(raw->Release(), 0u);
    EXPECT_EQ(destructions, 1);
    EXPECT_EQ(lumo::com::moduleObjectCount(), objects);
}

TEST(ComObjectTest, ComPtrOutParametersAndCopies) {
    int destructions = 0;
    ComPtr<IGadget> held;
    {
        auto gadget = lumo::com::makeObject<Gadget>(&destructions);
        ASSERT_EQ(gadget->QueryInterface(IID_IGadget, held.putVoid()), S_OK);
        IGadget* out = nullptr;
        ASSERT_EQ(held.copyTo(&out), S_OK);
        out->Release();
        // put() releases what it held before handing out the slot.
        ASSERT_EQ(gadget->QueryInterface(IID_IGadget, held.putVoid()), S_OK);
        EXPECT_EQ(gadget->referenceCount(), 2u);
    }
    EXPECT_EQ(destructions, 0);
    held.reset();
    EXPECT_EQ(destructions, 1);
    EXPECT_EQ(held.copyTo(nullptr), E_POINTER);
}
