#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

#include "platform/com/ComError.h"
#include "platform/com/ErrorGuard.h"
#include "platform/com/ErrorInfo.h"

using lumo::com::ComError;
using lumo::com::guarded;

TEST(ErrorGuardTest, ExceptionsBecomeStatusAndDescription) {
    struct Case {
        const char* name;
        std::function<void()> body;
        HRESULT hr;
        const char* description;
    };
    const Case cases[] = {
        {"ComError keeps its status", [] { throw ComError(E_INVALIDARG, "Bad finger 11"); },
         E_INVALIDARG, "Bad finger 11"},
        {"ComError with a success code", [] { throw ComError(S_FALSE, "odd"); }, E_UNEXPECTED,
         "odd"},
        {"runtime_error", [] { throw std::runtime_error("Card removed"); }, E_UNEXPECTED,
         "Card removed"},
        {"bad_alloc", [] { throw std::bad_alloc(); }, E_OUTOFMEMORY, "Out of memory"},
        {"not an exception class", [] { throw 42; }, E_UNEXPECTED, "Unknown error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(guarded(c.body), c.hr);
        EXPECT_EQ(lumo::com::takeErrorDescription(), c.description);
    }
}

TEST(ErrorGuardTest, SourceAndInterfaceReachTheErrorInfo) {
    const IID iid = {0x0CF5416E, 0x6EE3, 0x427E, {0xAE, 0x08, 0xC8, 0x6A, 0x91, 0x57, 0x04, 0x17}};
    EXPECT_EQ(guarded([] { throw std::runtime_error("x"); }, "Lumo.LumoMain", iid), E_UNEXPECTED);
    IErrorInfo* raw = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &raw), S_OK);
    GUID guid{};
    raw->GetGUID(&guid);
    EXPECT_EQ(guid, iid);
    lumo::com::Bstr source;
    raw->GetSource(source.out());
    EXPECT_EQ(source.toUtf8(), "Lumo.LumoMain");
    raw->Release();
}

TEST(ErrorGuardTest, SuccessfulBodiesReturnTheirStatus) {
    int runs = 0;
    EXPECT_EQ(guarded([&] { ++runs; }), S_OK);
    EXPECT_EQ(guarded([&]() -> HRESULT {
                  ++runs;
                  return S_FALSE;
              }),
              S_FALSE);
    // A body may fail without throwing.
    EXPECT_EQ(guarded([]() -> HRESULT { return E_NOTIMPL; }), E_NOTIMPL);
    EXPECT_EQ(runs, 2);
}
