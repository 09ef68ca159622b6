#include "engine/template/CompactTemplate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "SampleFeatures.h"
#include "engine/template/Crc32.h"
#include "engine/template/TemplateCodec.h"
#include "engine/template/TemplateError.h"
#include "engine/template/TemplateLimits.h"

namespace lumo::engine {
namespace {

using test::angleDistance;
using test::sampleFeatures;

Template sampleTemplate(TemplateGeneration generation, int count = 40)
{
    return Template{generation, sampleFeatures(count)};
}

// Each minutia of `original` appears in `compact` with its position and type, its direction
// within half a 1/256 turn and its quality within half a 1/15 step.
void expectCompactCopy(const FeatureSet& original, const FeatureSet& compact, bool withQuality)
{
    ASSERT_EQ(original.minutiae.size(), compact.minutiae.size());
    std::vector<bool> used(compact.minutiae.size());
    for (const Minutia& m : original.minutiae) {
        bool found = false;
        for (std::size_t i = 0; i < compact.minutiae.size() && !found; ++i) {
            const Minutia& c = compact.minutiae[i];
            if (used[i] || c.x != m.x || c.y != m.y || c.type != m.type) continue;
            if (angleDistance(c.angle, m.angle) > std::numbers::pi / 256 + 1e-4) continue;
            if (withQuality && std::abs(c.quality - m.quality) > 4) continue;
            used[i] = found = true;
        }
        EXPECT_TRUE(found) << "minutia at " << m.x << "," << m.y;
    }
}

TEST(CompactTemplate, RoundTripKeepsMinutiaeWithinQuantisation)
{
    for (auto generation : {TemplateGeneration::Gen9, TemplateGeneration::Gen10}) {
        SCOPED_TRACE(static_cast<int>(generation));
        const Template t = sampleTemplate(generation);
        const auto compact = CompactTemplate::encode(t);
        const Template back = CompactTemplate::decode(compact);
        EXPECT_EQ(back.generation, generation);
        EXPECT_EQ(back.features.width, t.features.width);
        EXPECT_EQ(back.features.height, t.features.height);
        expectCompactCopy(t.features, back.features, generation == TemplateGeneration::Gen10);
        // The compact form is a fixed point: encoding what it decodes to gives its bytes.
        EXPECT_EQ(CompactTemplate::encode(back), compact);
        // And it is much smaller than the byte form.
        EXPECT_LT(compact.size() * 2, TemplateCodec::encode(t).size());
    }
}

TEST(CompactTemplate, CardFormFitsAndKeepsTheBestMinutiae)
{
    const Template t = sampleTemplate(TemplateGeneration::Gen10, 300);
    ASSERT_GT(CompactTemplate::encode(t).size(), kMaxCardTemplateBytes);
    const auto card = CompactTemplate::encodeForCard(t);
    EXPECT_LE(card.size(), kMaxCardTemplateBytes);
    // Not far below the budget either: the budget is used.
    EXPECT_GT(card.size(), kMaxCardTemplateBytes - 8);
    const Template back = CompactTemplate::decode(card);
    ASSERT_LT(back.features.minutiae.size(), t.features.minutiae.size());
    ASSERT_GT(back.features.minutiae.size(), 80u);
    std::vector<int> qualities;
    for (const Minutia& m : t.features.minutiae) qualities.push_back(m.quality);
    std::sort(qualities.rbegin(), qualities.rend());
    const int cutoff = qualities[back.features.minutiae.size() - 1];
    for (const Minutia& m : back.features.minutiae) EXPECT_GE(m.quality + 4, cutoff);
}

TEST(CompactTemplate, SmallTemplateIsCardFormUnchanged)
{
    const Template t = sampleTemplate(TemplateGeneration::Gen9);
    EXPECT_EQ(CompactTemplate::encodeForCard(t), CompactTemplate::encode(t));
}

TEST(CompactTemplate, BudgetBelowTheHeaderIsRefused)
{
    EXPECT_THROW(CompactTemplate::encode(sampleTemplate(TemplateGeneration::Gen10), 12), TemplateError);
}

TEST(CompactTemplate, MinutiaeOnTheImageEdgesRoundTrip)
{
    Template t;
    t.features.width = 2048;
    t.features.height = 2048;
    t.features.minutiae = {{0, 0, 0.0f, MinutiaType::Ending, 100},
                           {2047, 2047, 6.28f, MinutiaType::Bifurcation, 0},
                           {2047, 0, 3.14f, MinutiaType::Other, 55},
                           {0, 2047, 1.0f, MinutiaType::Ending, 1}};
    const Template back = CompactTemplate::decode(CompactTemplate::encode(t));
    expectCompactCopy(t.features, back.features, true);
}

TEST(CompactTemplate, EveryTruncationAndBitFlipIsRejected)
{
    const auto bytes = CompactTemplate::encode(sampleTemplate(TemplateGeneration::Gen10));
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        SCOPED_TRACE(n);
        EXPECT_THROW(CompactTemplate::decode(std::span(bytes).first(n)), TemplateError);
    }
    for (std::size_t bit = 0; bit < bytes.size() * 8; ++bit) {
        SCOPED_TRACE(bit);
        auto flipped = bytes;
        flipped[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
        EXPECT_THROW(CompactTemplate::decode(flipped), TemplateError);
    }
}

TEST(CompactTemplate, RandomBytesWithAValidHeaderAreRejected)
{
    // Random bit streams behind a correct header and checksum reach the bit-level checks.
    std::mt19937 rng(5);
    int rejected = 0;
    for (int i = 0; i < 3000; ++i) {
        std::vector<std::uint8_t> bytes = {'L', 'Z', 1, static_cast<std::uint8_t>(i % 2 ? 9 : 10), 0, 0, 0, 0, 0, 0};
        const std::size_t body = 4 + rng() % 120;
        for (std::size_t k = 0; k < body; ++k) bytes.push_back(static_cast<std::uint8_t>(rng()));
        bytes[4] = static_cast<std::uint8_t>(bytes.size());
        bytes[5] = static_cast<std::uint8_t>(bytes.size() >> 8);
        std::uint32_t crc = crc32(std::span(bytes).first(6));
        crc = crc32(std::span(bytes).subspan(10), crc);
        for (int b = 0; b < 4; ++b) bytes[6 + b] = static_cast<std::uint8_t>(crc >> (8 * b));
        try {
            const Template t = CompactTemplate::decode(bytes);
            // Whatever is accepted is a sound template.
            EXPECT_NO_THROW(TemplateCodec::encode(t));
        } catch (const TemplateError&) {
            ++rejected;
        }
    }
    EXPECT_GT(rejected, 2900);
}

}  // namespace
}  // namespace lumo::engine
