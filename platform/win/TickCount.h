// The tick count: milliseconds of a monotonic clock as an unsigned 32-bit number that wraps
// after about 49.7 days, like GetTickCount. Unaffected by changes of the wall clock.
// Thread-safe; never throws.
#pragma once

#include <cstdint>

namespace lumo::win {

std::uint32_t tickCount();

}  // namespace lumo::win
