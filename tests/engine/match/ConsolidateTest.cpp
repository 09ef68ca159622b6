#include <gtest/gtest.h>

#include "PrintCache.h"
#include "engine/match/Consolidate.h"

using namespace lumo::engine;
using lumo::engine::testing::features;

TEST(Consolidate, MergesPressesOfOneFinger) {
    const std::vector<FeatureSet> presses = {features("fvc2002_db4_b", "101_1"), features("fvc2002_db4_b", "101_4"),
                                             features("fvc2002_db4_b", "101_5")};
    const ConsolidationResult r = consolidate(presses);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_TRUE(r.message.empty());
    EXPECT_GE(r.basePress, 0);
    EXPECT_GE(r.features.minutiae.size(), 15u);
    // The registration matches a press it was not made from.
    EXPECT_GT(matchScore(features("fvc2002_db4_b", "101_6"), r.features), 1.5f * kDefaultMatchThreshold);
    EXPECT_LT(matchScore(features("fvc2002_db4_b", "104_1"), r.features), kDefaultMatchThreshold);
}

TEST(Consolidate, OnePressIsItsOwnRegistration) {
    const FeatureSet& f = features("fvc2000_db1_b", "101_1");
    const ConsolidationResult r = consolidate({f});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.features.minutiae.size(), f.minutiae.size());
}

TEST(Consolidate, FailsWhenAPressIsOfAnotherFinger) {
    struct Case {
        std::vector<const char*> names;
        int failed;
    };
    const Case cases[] = {{{"101_1", "101_2", "102_1"}, 2}, {{"103_1", "101_1", "101_2", "101_4"}, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.names.front());
        std::vector<FeatureSet> presses;
        for (const char* n : c.names) presses.push_back(features("fvc2000_db1_b", n));
        const ConsolidationResult r = consolidate(presses);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.failedPress, c.failed);
        EXPECT_NE(r.message.find("does not match"), std::string::npos) << r.message;
    }
    // Two presses of different fingers: neither can be trusted.
    EXPECT_FALSE(consolidate({features("fvc2000_db1_b", "101_1"), features("fvc2000_db1_b", "102_1")}).ok);
}

TEST(Consolidate, RejectsNoPressesTooManyAndEmptyOnes) {
    EXPECT_FALSE(consolidate({}).ok);
    const FeatureSet& f = features("fvc2000_db1_b", "101_1");
    EXPECT_FALSE(consolidate({f, f, f, f, f}).ok);
    const ConsolidationResult r = consolidate({f, FeatureSet{}});
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failedPress, 1);
}
