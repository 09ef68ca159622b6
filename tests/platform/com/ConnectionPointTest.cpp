#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestObjects.h"
#include "platform/com/ComObject.h"
#include "platform/com/ConnectionPointContainer.h"
#include "platform/com/Dispatch.h"

using lumo::com::ComPtr;

namespace {

inline constexpr IID DIID_GadgetEvents = {
    0xB6A801EE, 0x8E42, 0x4596, {0x9C, 0xF6, 0x3E, 0xF2, 0x68, 0x38, 0xFC, 0xC2}};
constexpr DISPID kOnClick = 0xCA;
constexpr DISPID kOnKeyPress = 0xCF;

// An object with one event interface, as a control has.
class EventfulGadget final
    : public lumo::com::ComObject<EventfulGadget, IConnectionPointContainer> {
public:
    lumo::com::ConnectionPointContainer m_events{this, {DIID_GadgetEvents}};
    LUMO_CONNECTION_POINTS_FROM(m_events)
};

// A host's sink: records each event and its arguments in declaration order; answers a key
// press by changing the key.
class RecordingSink final : public lumo::com::ComObject<RecordingSink, IDispatch> {
public:
    explicit RecordingSink(bool answerEventIid) : m_answerEventIid(answerEventIid) {}

    std::vector<std::string> m_events;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT*, EXCEPINFO*, UINT*) override {
        std::string entry = std::to_string(id) + (flags == DISPATCH_METHOD ? "" : " flags?");
        for (UINT i = params->cArgs; i-- > 0;) {
            const VARIANT& v = params->rgvarg[i];
            if (v.vt == VT_I4) entry += " " + std::to_string(v.lVal);
            if (v.vt == (VT_BYREF | VT_I2)) {
                entry += " &" + std::to_string(*v.piVal);
                *v.piVal = 'X';
            }
        }
        m_events.push_back(entry);
        return S_OK;
    }

protected:
    void* queryExtraInterface(REFIID iid) override {
        return m_answerEventIid && iid == DIID_GadgetEvents ? static_cast<IDispatch*>(this)
                                                            : nullptr;
    }

private:
    bool m_answerEventIid;
};

// Answers nothing but IUnknown.
class Mute final : public lumo::com::ComObject<Mute, IUnknown> {};

ComPtr<IConnectionPoint> pointOf(EventfulGadget* gadget) {
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(gadget->FindConnectionPoint(DIID_GadgetEvents, point.put()), S_OK);
    return point;
}

}  // namespace

TEST(ConnectionPointTest, FindsOnlyItsEventInterface) {
    auto gadget = lumo::com::makeObject<EventfulGadget>();
    auto point = pointOf(gadget.get());
    ASSERT_TRUE(point);
    IID iid{};
    EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
    EXPECT_EQ(iid, DIID_GadgetEvents);
    ComPtr<IConnectionPointContainer> container;
    EXPECT_EQ(point->GetConnectionPointContainer(container.put()), S_OK);
    EXPECT_EQ(container.get(), static_cast<IConnectionPointContainer*>(gadget.get()));

    ComPtr<IConnectionPoint> other;
    EXPECT_EQ(gadget->FindConnectionPoint(IID_IDispatch, other.put()), CONNECT_E_NOCONNECTION);
    EXPECT_FALSE(other);
    IEnumConnectionPoints* enumerator = nullptr;
    EXPECT_EQ(gadget->EnumConnectionPoints(&enumerator), E_NOTIMPL);
    IEnumConnections* connections = nullptr;
    EXPECT_EQ(point->EnumConnections(&connections), E_NOTIMPL);
}

TEST(ConnectionPointTest, WithoutSinkFiringDoesNothing) {
    auto gadget = lumo::com::makeObject<EventfulGadget>();
    EXPECT_FALSE(gadget->m_events.point().hasSinks());
    EXPECT_EQ(gadget->m_events.point().fire(kOnClick), S_OK);
    SHORT key = 'a';
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_BYREF | VT_I2;
    arg.piVal = &key;
    EXPECT_EQ(gadget->m_events.point(DIID_GadgetEvents).fire(kOnKeyPress, {arg}), S_OK);
    EXPECT_EQ(key, 'a');
}

TEST(ConnectionPointTest, EventsReachTheSinkInOrderAndKeysComeBack) {
    auto gadget = lumo::com::makeObject<EventfulGadget>();
    auto sink = lumo::com::makeObject<RecordingSink>(true);
    auto point = pointOf(gadget.get());
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(static_cast<IDispatch*>(sink.get()), &cookie), S_OK);
    EXPECT_NE(cookie, 0u);
    EXPECT_EQ(sink->referenceCount(), 2u);

    VARIANT a;
    VariantInit(&a);
    a.vt = VT_I4;
    a.lVal = 1;
    VARIANT b = a;
    b.lVal = 2;
    EXPECT_EQ(gadget->m_events.point().fire(kOnClick, {a, b}), S_OK);
    SHORT key = 'a';
    VARIANT keyArg;
    VariantInit(&keyArg);
    keyArg.vt = VT_BYREF | VT_I2;
    keyArg.piVal = &key;
    EXPECT_EQ(gadget->m_events.point().fire(kOnKeyPress, {keyArg}), S_OK);
    EXPECT_EQ(key, 'X');
    EXPECT_EQ(sink->m_events, (std::vector<std::string>{std::to_string(kOnClick) + " 1 2",
                                                        std::to_string(kOnKeyPress) + " &97"}));

    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    EXPECT_EQ(sink->referenceCount(), 1u);
    EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(gadget->m_events.point().fire(kOnClick), S_OK);
    EXPECT_EQ(sink->m_events.size(), 2u);
}

TEST(ConnectionPointTest, AdviseRules) {
    auto gadget = lumo::com::makeObject<EventfulGadget>();
    auto point = pointOf(gadget.get());
    auto plainDispatch = lumo::com::makeObject<RecordingSink>(false);
    auto second = lumo::com::makeObject<RecordingSink>(true);
    auto mute = lumo::com::makeObject<Mute>();

    DWORD cookie = 99;
    EXPECT_EQ(point->Advise(mute.get(), &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(point->Advise(nullptr, &cookie), E_POINTER);
    // A sink that only answers IDispatch is taken too.
    ASSERT_EQ(point->Advise(static_cast<IDispatch*>(plainDispatch.get()), &cookie), S_OK);
    DWORD secondCookie = 0;
    EXPECT_EQ(point->Advise(static_cast<IDispatch*>(second.get()), &secondCookie),
              CONNECT_E_ADVISELIMIT);
    EXPECT_EQ(second->referenceCount(), 1u);
    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    DWORD thirdCookie = 0;
    ASSERT_EQ(point->Advise(static_cast<IDispatch*>(second.get()), &thirdCookie), S_OK);
    EXPECT_NE(thirdCookie, cookie) << "cookies are not reused";
    EXPECT_EQ(point->Unadvise(thirdCookie), S_OK);
}

TEST(ConnectionPointTest, PointOutlivingItsContainerDoesNotDangle) {
    ComPtr<IConnectionPoint> point;
    {
        auto gadget = lumo::com::makeObject<EventfulGadget>();
        point = pointOf(gadget.get());
    }
    ComPtr<IConnectionPointContainer> container;
    EXPECT_EQ(point->GetConnectionPointContainer(container.put()), E_UNEXPECTED);
    EXPECT_FALSE(container);
}
