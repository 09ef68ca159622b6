#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/win/TickCount.h"

using lumo::win::tickCount;

TEST(TickCount, AdvancesAtLeastAsFarAsASleep) {
    std::uint32_t t0 = tickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    std::uint32_t t1 = tickCount();
    // Unsigned difference, so a wrap between the two readings still counts forward.
    EXPECT_GE(static_cast<std::uint32_t>(t1 - t0), 29u);
    EXPECT_LT(static_cast<std::uint32_t>(t1 - t0), 0x80000000u) << "never runs backwards";
}
