#include "engine/synth/MasterFingerprint.h"

#include <gtest/gtest.h>

#include "engine/synth/RidgeMinutiae.h"
#include "engine/synth/SynthRandom.h"

namespace lumo::engine::synth {
namespace {

MasterParameters small()
{
    MasterParameters p;
    p.width = 240;
    p.height = 300;
    return p;
}

TEST(SynthRandom, SameSeedSameStreamAndIndependentSubstreams)
{
    SynthRandom a(42), b(42), c(43);
    for (int i = 0; i < 100; ++i) {
        const auto va = a.next();
        EXPECT_EQ(va, b.next());
        EXPECT_NE(va, c.next());
    }
    EXPECT_EQ(SynthRandom::derive(1, 7), SynthRandom::derive(1, 7));
    EXPECT_NE(SynthRandom::derive(1, 7), SynthRandom::derive(1, 8));
    EXPECT_NE(SynthRandom::derive(1, 7, 1), SynthRandom::derive(1, 7, 2));
    SynthRandom r(9);
    for (int i = 0; i < 1000; ++i) {
        const double u = r.uniform();
        EXPECT_GE(u, 0.0);
        EXPECT_LT(u, 1.0);
    }
}

TEST(MasterFingerprint, SameSeedGivesTheSameFinger)
{
    const auto a = MasterFingerprint::generate(11, small());
    const auto b = MasterFingerprint::generate(11, small());
    const auto c = MasterFingerprint::generate(12, small());
    EXPECT_EQ(a.ridges(), b.ridges());
    ASSERT_EQ(a.minutiae().minutiae.size(), b.minutiae().minutiae.size());
    for (std::size_t i = 0; i < a.minutiae().minutiae.size(); ++i) {
        EXPECT_EQ(a.minutiae().minutiae[i].x, b.minutiae().minutiae[i].x);
        EXPECT_EQ(a.minutiae().minutiae[i].angle, b.minutiae().minutiae[i].angle);
    }
    EXPECT_NE(a.ridges(), c.ridges());
}

TEST(MasterFingerprint, RidgesAndMinutiaeArePlausible)
{
    for (std::uint64_t seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        const auto f = MasterFingerprint::generate(seed, small());
        ASSERT_EQ(f.ridges().size(), 240u * 300u);
        // Ridges and valleys share the finger about evenly.
        int ridge = 0, valley = 0;
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 240; ++x) {
                if (f.model().inside(x, y) < 1) continue;
                (f.ridges()[y * 240 + x] > 0 ? ridge : valley)++;
            }
        EXPECT_GT(ridge, (ridge + valley) * 3 / 10);
        EXPECT_GT(valley, (ridge + valley) * 3 / 10);
        // A finger this size has a few dozen minutiae of both kinds, all on the finger.
        const auto& m = f.minutiae().minutiae;
        EXPECT_GE(m.size(), 10u);
        EXPECT_LE(m.size(), 90u);
        int endings = 0;
        for (const Minutia& p : m) {
            EXPECT_GT(f.model().inside(p.x, p.y), 0.5);
            EXPECT_GE(p.angle, 0.0f);
            EXPECT_LT(p.angle, 6.2832f);
            endings += p.type == MinutiaType::Ending;
        }
        EXPECT_GT(endings, 0);
        EXPECT_LT(endings, static_cast<int>(m.size()));
    }
}

// Hand-made ridges: one horizontal ridge that ends, and one that forks, so that positions and
// directions of the ground truth are known exactly.
TEST(RidgeMinutiae, FindsEndAndForkWithTheirDirections)
{
    const int w = 80, h = 60;
    std::vector<float> ridges(w * h, -1.0f);
    auto set = [&](int x, int y) { ridges[y * w + x] = 1.0f; };
    for (int x = 10; x < 40; ++x)  // ending at x = 39, ridge body to its left
        for (int y = 14; y <= 16; ++y) set(x, y);
    for (int x = 10; x < 70; ++x)  // stem from the right, forking at x = 40 into two branches to the left
        for (int y = 39; y <= 41; ++y)
            if (x >= 40) set(x, y);
    for (int i = 0; i < 25; ++i)
        for (int t = -1; t <= 1; ++t) {
            set(40 - i, 40 - i / 2 + t);
            set(40 - i, 40 + i / 2 + t);
        }
    MasterParameters params;
    params.edgeMargin = 0;
    const FeatureSet f = ridgeMinutiae(ridges, w, h, [](double, double) { return 1.0; }, params);
    const Minutia* end = nullptr;
    const Minutia* fork = nullptr;
    for (const Minutia& m : f.minutiae) {
        if (m.type == MinutiaType::Ending && std::abs(m.x - 39) <= 2 && std::abs(m.y - 15) <= 2) end = &m;
        if (m.type == MinutiaType::Bifurcation && std::abs(m.x - 40) <= 3 && std::abs(m.y - 40) <= 2) fork = &m;
    }
    ASSERT_NE(end, nullptr);
    ASSERT_NE(fork, nullptr);
    // The ending points out of the ridge's free end (to the right, angle 0); the fork points
    // from the fork along its stem, away from the branches (also to the right, angle 0).
    EXPECT_LT(std::min(end->angle, 6.2832f - end->angle), 0.3f);
    EXPECT_LT(std::min(fork->angle, 6.2832f - fork->angle), 0.3f);
}

}  // namespace
}  // namespace lumo::engine::synth
