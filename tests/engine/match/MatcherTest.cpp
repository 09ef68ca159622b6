#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "PrintCache.h"
#include "engine/match/Matcher.h"

using namespace lumo::engine;
using lumo::engine::testing::features;

namespace {

constexpr float kGenuineFloor = 1.5f * kDefaultMatchThreshold;  // genuine pairs: well above
constexpr float kImpostorCeiling = 0.5f * kDefaultMatchThreshold;  // impostors: well below

struct Pair {
    const char* set;
    const char* a;
    const char* b;
};

}  // namespace

TEST(Matcher, GenuinePairsScoreWellAboveTheThreshold) {
    const Pair pairs[] = {{"fvc2000_db1_b", "102_1", "102_3"}, {"fvc2002_db4_b", "101_1", "101_4"},
                          {"fvc2002_db4_b", "102_2", "102_4"}};
    for (const Pair& p : pairs) {
        SCOPED_TRACE(std::string(p.set) + " " + p.a + " " + p.b);
        EXPECT_GT(matchScore(features(p.set, p.a), features(p.set, p.b)), kGenuineFloor);
    }
}

TEST(Matcher, ImpostorPairsScoreWellBelowTheThreshold) {
    const Pair pairs[] = {{"fvc2000_db1_b", "101_1", "102_1"}, {"fvc2000_db1_b", "103_1", "104_1"},
                          {"fvc2002_db4_b", "101_1", "104_1"}, {"fvc2002_db4_b", "102_1", "104_1"}};
    for (const Pair& p : pairs) {
        SCOPED_TRACE(std::string(p.set) + " " + p.a + " " + p.b);
        EXPECT_LT(matchScore(features(p.set, p.a), features(p.set, p.b)), kImpostorCeiling);
    }
}

TEST(Matcher, MatchesRotatedImages) {
    const GrayImage image = loadImage(lumo::engine::testing::printPath("fvc2002_db4_b", "101_1"));
    const MatchTemplate other(features("fvc2002_db4_b", "101_4"));
    for (const int turns : {1, 2}) {
        SCOPED_TRACE(std::to_string(90 * turns) + " degrees");
        Matcher m{MatchTemplate(extract(lumo::engine::testing::rotated(image, turns)))};
        const MatchResult r = m.matchDetailed(other);
        EXPECT_GT(r.score, kGenuineFloor);
        // The fitted motion turns the probe back by the quarter turns (plus the small turn
        // between the two presses, ~24 degrees for this pair).
        const float unturned = std::fmod(r.rotation - turns * std::numbers::pi_v<float> / 2 + 4 * std::numbers::pi_v<float>,
                                         2 * std::numbers::pi_v<float>);
        const float plain = Matcher{MatchTemplate(features("fvc2002_db4_b", "101_1"))}.matchDetailed(other).rotation;
        float d = std::fabs(unturned - plain);
        d = std::min(d, 2 * std::numbers::pi_v<float> - d);
        EXPECT_LT(d, 0.2f);
    }
}

TEST(Matcher, ScoresAPrintAgainstItselfHighAndReportsThePairs) {
    const FeatureSet& f = features("fvc2002_db4_b", "101_4");
    Matcher m{MatchTemplate(f)};
    const MatchResult r = m.matchDetailed(MatchTemplate(f));
    EXPECT_GT(r.score, 2 * kGenuineFloor);
    EXPECT_GE(r.pairs.size(), f.minutiae.size() * 8 / 10);
    for (const auto& [p, c] : r.pairs) EXPECT_EQ(p, c);
    EXPECT_NEAR(r.dx, 0.0f, 1.0f);
    EXPECT_NEAR(r.dy, 0.0f, 1.0f);
}

TEST(Matcher, EmptyAndTinyFeatureSetsScoreZero) {
    FeatureSet empty;
    FeatureSet one;
    one.minutiae.push_back({10, 10, 1.0f, MinutiaType::Ending, 50});
    const FeatureSet& good = features("fvc2000_db1_b", "101_1");
    EXPECT_EQ(matchScore(empty, good), 0.0f);
    EXPECT_EQ(matchScore(good, empty), 0.0f);
    EXPECT_EQ(matchScore(one, good), 0.0f);
}

TEST(Matcher, OneProbeScoresManyCandidatesConsistently) {
    Matcher m{MatchTemplate(features("fvc2000_db1_b", "101_1"))};
    const MatchTemplate a(features("fvc2000_db1_b", "101_2")), b(features("fvc2000_db1_b", "102_1"));
    const float first = m.match(a);
    EXPECT_LT(m.match(b), kImpostorCeiling);
    EXPECT_EQ(m.match(a), first);  // scratch state does not leak between candidates
}

TEST(Matcher, PairedMinutiaeAgreeWithOneRigidMotion) {
    // Whatever the local geometry linked, the pairs that count lie where the fitted motion puts
    // them: within maxResidual (tree pairs) or alignedRadius (pairs added by position).
    const MatchParams params;
    const float reach = std::max(params.maxResidual, params.alignedRadius) + 0.5f;
    for (const Pair& p : {Pair{"fvc2000_db1_b", "101_1", "101_3"}, Pair{"fvc2002_db4_b", "108_1", "108_8"},
                          Pair{"fvc2000_db1_b", "103_2", "107_4"}, Pair{"fvc2002_db4_b", "102_1", "106_2"}}) {
        SCOPED_TRACE(std::string(p.set) + " " + p.a + " " + p.b);
        const FeatureSet& a = features(p.set, p.a);
        const FeatureSet& b = features(p.set, p.b);
        Matcher m{MatchTemplate(a, params), params};
        const MatchResult r = m.matchDetailed(MatchTemplate(b, params));
        for (const auto& [i, j] : r.pairs) {
            const auto& pa = a.minutiae[static_cast<std::size_t>(i)];
            const auto& pb = b.minutiae[static_cast<std::size_t>(j)];
            const auto [x, y] = r.mapPoint(static_cast<float>(pa.x), static_cast<float>(pa.y));
            EXPECT_LE(std::hypot(x - pb.x, y - pb.y), reach) << "pair " << i << " -> " << j;
        }
    }
}
