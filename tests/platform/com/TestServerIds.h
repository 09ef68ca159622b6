// Identity of the test server (TestServer.cpp), shared with the tests that create it.
#pragma once

#include "platform/com/Guid.h"

namespace lumo::com::test {

inline constexpr CLSID CLSID_Calculator = {
    0x3F2A9C41, 0x7D0B, 0x4E55, {0x9A, 0x61, 0x2C, 0x5E, 0x80, 0x13, 0xB7, 0x4D}};
inline constexpr GUID LIBID_Calculator = {
    0x3F2A9C42, 0x7D0B, 0x4E55, {0x9A, 0x61, 0x2C, 0x5E, 0x80, 0x13, 0xB7, 0x4D}};
inline constexpr const char* kCalculatorProgId = "LumoTest.Calculator";

}  // namespace lumo::com::test
