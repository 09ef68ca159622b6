#include <gtest/gtest.h>

#include "PrintCache.h"
#include "engine/match/Learn.h"

using namespace lumo::engine;
using lumo::engine::testing::features;

TEST(Learn, MergesAMatchingImpressionAndGrows) {
    FeatureSet registration = features("fvc2002_db4_b", "101_1");
    const std::size_t before = registration.minutiae.size();
    const float scoreBefore = matchScore(features("fvc2002_db4_b", "101_3"), registration);
    EXPECT_TRUE(learn(registration, features("fvc2002_db4_b", "101_4")));
    EXPECT_GE(registration.minutiae.size(), before);
    EXPECT_LE(registration.minutiae.size(), 128u);
    // Still the same finger, and not a worse match for the finger's other presses.
    EXPECT_GE(matchScore(features("fvc2002_db4_b", "101_3"), registration), 0.8f * scoreBefore);
    EXPECT_LT(matchScore(features("fvc2002_db4_b", "104_1"), registration), kDefaultMatchThreshold);
}

TEST(Learn, LeavesTheRegistrationAloneForAnotherFinger) {
    FeatureSet registration = features("fvc2000_db1_b", "101_1");
    const FeatureSet copy = registration;
    EXPECT_FALSE(learn(registration, features("fvc2000_db1_b", "102_1")));
    EXPECT_EQ(registration.minutiae.size(), copy.minutiae.size());
    EXPECT_FALSE(learn(registration, FeatureSet{}));
}

TEST(Learn, StopsChangingOnceEverythingIsKnown) {
    FeatureSet registration = features("fvc2002_db4_b", "101_1");
    const FeatureSet& impression = features("fvc2002_db4_b", "101_4");
    int changes = 0;
    for (int i = 0; i < 30 && learn(registration, impression); ++i) ++changes;
    EXPECT_GE(changes, 1);
    EXPECT_LT(changes, 30);
}
