#include <gtest/gtest.h>

#include "platform/com/Bstr.h"
#include "platform/com/ComError.h"
#include "platform/com/SafeArray.h"
#include "platform/com/Variant.h"

using lumo::com::liveSafeArrayCount;

TEST(SafeArrayTest, ByteVectorLayoutAndBounds) {
    const long before = liveSafeArrayCount();
    SAFEARRAY* psa = SafeArrayCreateVector(VT_UI1, 0, 5);
    ASSERT_NE(psa, nullptr);
    EXPECT_EQ(liveSafeArrayCount(), before + 1);
    EXPECT_EQ(SafeArrayGetDim(psa), 1u);
    EXPECT_EQ(SafeArrayGetElemsize(psa), 1u);
    VARTYPE vt = VT_EMPTY;
    EXPECT_EQ(SafeArrayGetVartype(psa, &vt), S_OK);
    EXPECT_EQ(vt, VT_UI1);

    LONG low = -1;
    LONG high = -1;
    EXPECT_EQ(SafeArrayGetLBound(psa, 1, &low), S_OK);
    EXPECT_EQ(SafeArrayGetUBound(psa, 1, &high), S_OK);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 4);
    EXPECT_EQ(SafeArrayGetUBound(psa, 2, &high), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetUBound(psa, 0, &high), DISP_E_BADINDEX);

    void* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(psa, &data), S_OK);
    static_cast<BYTE*>(data)[4] = 0xAB;
    // Locked while accessed.
    EXPECT_EQ(SafeArrayDestroy(psa), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(SafeArrayUnaccessData(psa), S_OK);
    EXPECT_EQ(SafeArrayUnaccessData(psa), E_UNEXPECTED);
    EXPECT_EQ(lumo::com::vectorFromByteArray(psa), (std::vector<std::uint8_t>{0, 0, 0, 0, 0xAB}));
    EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
    EXPECT_EQ(liveSafeArrayCount(), before);
}

TEST(SafeArrayTest, EmptyVectorHasUpperBoundMinusOne) {
    SAFEARRAY* psa = lumo::com::byteArrayFromVector({});
    LONG high = 0;
    EXPECT_EQ(SafeArrayGetUBound(psa, 1, &high), S_OK);
    EXPECT_EQ(high, -1);
    EXPECT_TRUE(lumo::com::vectorFromByteArray(psa).empty());
    EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
}

TEST(SafeArrayTest, VectorRoundTripAndCopyIsDeep) {
    const std::vector<std::uint8_t> bytes = {1, 2, 3, 250, 0, 7};
    SAFEARRAY* psa = lumo::com::byteArrayFromVector(bytes);
    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(psa, &copy), S_OK);
    ASSERT_NE(copy, psa);
    EXPECT_NE(copy->pvData, psa->pvData);
    static_cast<BYTE*>(psa->pvData)[0] = 99;
    EXPECT_EQ(lumo::com::vectorFromByteArray(copy), bytes);
    SafeArrayDestroy(psa);
    SafeArrayDestroy(copy);
}

TEST(SafeArrayTest, OnlyByteVectorsAreMade) {
    EXPECT_EQ(SafeArrayCreateVector(VT_I4, 0, 3), nullptr);
    EXPECT_EQ(SafeArrayCreateVector(VT_UI1, 0x7FFFFFFF, 2), nullptr);
    EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);
    EXPECT_THROW(lumo::com::vectorFromByteArray(nullptr), lumo::com::ComError);
}

TEST(SafeArrayTest, DestroyOfAForeignDescriptorIsReported) {
    const long bad = lumo::com::badFreeCount();
    alignas(8) char fake[64] = {};
    EXPECT_EQ(SafeArrayDestroy(reinterpret_cast<SAFEARRAY*>(fake + 8)), E_INVALIDARG);
    EXPECT_EQ(lumo::com::badFreeCount(), bad + 1);
}
