#include <gtest/gtest.h>

#include <thread>

#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ErrorInfo.h"

using lumo::com::ComPtr;

namespace {

std::string descriptionOf(IErrorInfo* info) {
    lumo::com::Bstr text;
    EXPECT_EQ(info->GetDescription(text.out()), S_OK);
    return text.toUtf8();
}

}  // namespace

TEST(ErrorInfoTest, GetHandsOverAndClears) {
    lumo::com::setErrorInfo("Sensor not found: \xE6\x8C\x87", "Lumo.LumoMain");
    IErrorInfo* raw = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &raw), S_OK);
    auto info = ComPtr<IErrorInfo>::attach(raw);
    EXPECT_EQ(descriptionOf(info.get()), "Sensor not found: \xE6\x8C\x87");
    lumo::com::Bstr source;
    EXPECT_EQ(info->GetSource(source.out()), S_OK);
    EXPECT_EQ(source.toUtf8(), "Lumo.LumoMain");

    // Taken: nothing left for a second caller.
    IErrorInfo* again = reinterpret_cast<IErrorInfo*>(0x1);
    EXPECT_EQ(GetErrorInfo(0, &again), S_FALSE);
    EXPECT_EQ(again, nullptr);
    EXPECT_EQ(lumo::com::takeErrorDescription(), "");
}

TEST(ErrorInfoTest, SetReplacesAndNullClears) {
    lumo::com::setErrorInfo("first");
    lumo::com::setErrorInfo("second");
    EXPECT_EQ(lumo::com::takeErrorDescription(), "second");
    lumo::com::setErrorInfo("dropped");
    EXPECT_EQ(SetErrorInfo(0, nullptr), S_OK);
    EXPECT_EQ(lumo::com::takeErrorDescription(), "");
}

TEST(ErrorInfoTest, CreatedObjectAnswersBothInterfaces) {
    const long objects = lumo::com::moduleObjectCount();
    {
        ICreateErrorInfo* rawCreate = nullptr;
        ASSERT_EQ(CreateErrorInfo(&rawCreate), S_OK);
        auto create = ComPtr<ICreateErrorInfo>::attach(rawCreate);
        std::u16string text = u"from a host";
        create->SetDescription(text.data());
        auto info = create.query<IErrorInfo>();
        ASSERT_TRUE(info);
        EXPECT_EQ(SetErrorInfo(0, info.get()), S_OK);
    }
    EXPECT_EQ(lumo::com::takeErrorDescription(), "from a host");
    EXPECT_EQ(lumo::com::moduleObjectCount(), objects);
}

TEST(ErrorInfoTest, EachThreadHasItsOwnSlotReleasedAtExit) {
    const long objects = lumo::com::moduleObjectCount();
    lumo::com::setErrorInfo("main thread");
    std::string seenByOther = "unset";
    std::thread other([&] {
        seenByOther = lumo::com::takeErrorDescription();
        // Left set when the thread ends: the slot's reference must be released then.
        lumo::com::setErrorInfo("abandoned");
    });
    other.join();
    EXPECT_EQ(seenByOther, "");
    EXPECT_EQ(lumo::com::takeErrorDescription(), "main thread");
    EXPECT_EQ(lumo::com::moduleObjectCount(), objects);
}
