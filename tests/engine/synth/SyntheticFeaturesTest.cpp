#include "engine/synth/SyntheticFeatures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace lumo::engine::synth {
namespace {

bool sameSet(const FeatureSet& a, const FeatureSet& b)
{
    if (a.minutiae.size() != b.minutiae.size()) return false;
    for (std::size_t i = 0; i < a.minutiae.size(); ++i)
        if (a.minutiae[i].x != b.minutiae[i].x || a.minutiae[i].y != b.minutiae[i].y ||
            a.minutiae[i].angle != b.minutiae[i].angle || a.minutiae[i].type != b.minutiae[i].type)
            return false;
    return true;
}

void expectSound(const FeatureSet& f)
{
    for (const Minutia& m : f.minutiae) {
        EXPECT_GE(m.x, 0);
        EXPECT_GE(m.y, 0);
        EXPECT_LT(m.x, f.width);
        EXPECT_LT(m.y, f.height);
        EXPECT_GE(m.angle, 0.0f);
        EXPECT_LT(m.angle, 6.2832f);
        EXPECT_LE(m.quality, 100);
    }
}

TEST(SyntheticFeatures, DeterministicBySeed)
{
    EXPECT_TRUE(sameSet(SyntheticFeatures::finger(5), SyntheticFeatures::finger(5)));
    EXPECT_FALSE(sameSet(SyntheticFeatures::finger(5), SyntheticFeatures::finger(6)));
    const FeatureSet f = SyntheticFeatures::finger(5);
    EXPECT_TRUE(sameSet(SyntheticFeatures::impression(f, 1), SyntheticFeatures::impression(f, 1)));
    EXPECT_FALSE(sameSet(SyntheticFeatures::impression(f, 1), SyntheticFeatures::impression(f, 2)));
}

TEST(SyntheticFeatures, FingersLookLikeExtractorOutput)
{
    for (std::uint64_t seed = 1; seed <= 50; ++seed) {
        SCOPED_TRACE(seed);
        const FeatureSet f = SyntheticFeatures::finger(seed);
        EXPECT_EQ(f.width, 400);
        EXPECT_EQ(f.height, 500);
        EXPECT_GE(f.minutiae.size(), 20u);
        EXPECT_LE(f.minutiae.size(), 110u);
        expectSound(f);
        for (std::size_t i = 0; i < f.minutiae.size(); ++i)
            for (std::size_t j = i + 1; j < f.minutiae.size(); ++j)
                EXPECT_GE(std::hypot(f.minutiae[i].x - f.minutiae[j].x, f.minutiae[i].y - f.minutiae[j].y), 11.0);
        const FeatureSet imp = SyntheticFeatures::impression(f, seed * 31);
        expectSound(imp);
        EXPECT_GE(imp.minutiae.size(), f.minutiae.size() / 3);
        EXPECT_LE(imp.minutiae.size(), f.minutiae.size() * 3 / 2);
    }
}

TEST(SyntheticFeatures, NoPerturbationGivesTheFingerBack)
{
    FeatureImpressionParameters none;
    none.maxRotation = none.maxTranslation = none.maxDistortion = 0;
    none.positionJitter = none.angleJitter = 0;
    none.missedShare = none.spuriousShare = none.typeFlipShare = none.partialChance = 0;
    const FeatureSet f = SyntheticFeatures::finger(9);
    const FeatureSet imp = SyntheticFeatures::impression(f, 4, none);
    ASSERT_EQ(imp.minutiae.size(), f.minutiae.size());
    for (const Minutia& m : imp.minutiae) {
        const bool found = std::any_of(f.minutiae.begin(), f.minutiae.end(), [&](const Minutia& o) {
            return o.x == m.x && o.y == m.y && o.type == m.type && std::fabs(o.angle - m.angle) < 1e-5;
        });
        EXPECT_TRUE(found);
    }
}

}  // namespace
}  // namespace lumo::engine::synth
