#include "engine/template/TemplateCodec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "SampleFeatures.h"
#include "engine/template/Crc32.h"
#include "engine/template/TemplateError.h"
#include "engine/template/TemplateLimits.h"

namespace lumo::engine {
namespace {

using test::angleDistance;
using test::sampleFeatures;

Template sampleTemplate(TemplateGeneration generation)
{
    Template t;
    t.generation = generation;
    t.features = sampleFeatures();
    t.features.quality = 3;
    return t;
}

void expectSameMinutiae(const FeatureSet& a, const FeatureSet& b, bool withQuality)
{
    ASSERT_EQ(a.minutiae.size(), b.minutiae.size());
    for (std::size_t i = 0; i < a.minutiae.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(a.minutiae[i].x, b.minutiae[i].x);
        EXPECT_EQ(a.minutiae[i].y, b.minutiae[i].y);
        EXPECT_LT(angleDistance(a.minutiae[i].angle, b.minutiae[i].angle), 1e-4);
        EXPECT_EQ(a.minutiae[i].type, b.minutiae[i].type);
        if (withQuality) {
            EXPECT_EQ(a.minutiae[i].quality, b.minutiae[i].quality);
        }
    }
}

// Rewrites the checksum so that a test reaches the checks behind it.
void resealChecksum(std::vector<std::uint8_t>& bytes)
{
    std::uint32_t crc = crc32(std::span(bytes).first(12));
    crc = crc32(std::span(bytes).subspan(16), crc);
    for (int i = 0; i < 4; ++i) bytes[12 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
}

TEST(TemplateCodec, Generation10KeepsEverything)
{
    const Template t = sampleTemplate(TemplateGeneration::Gen10);
    const auto bytes = TemplateCodec::encode(t);
    EXPECT_EQ(bytes.size(), TemplateCodec::kHeaderSize + 12 + 8 * t.features.minutiae.size());
    const Template back = TemplateCodec::decode(bytes);
    EXPECT_EQ(back.generation, TemplateGeneration::Gen10);
    EXPECT_EQ(back.features.width, 400);
    EXPECT_EQ(back.features.height, 500);
    EXPECT_EQ(back.features.resolution, 500);
    EXPECT_EQ(back.features.quality, 3);
    expectSameMinutiae(back.features, t.features, true);
    // Encoding is a function of the value: decoding and encoding again gives the same bytes.
    EXPECT_EQ(TemplateCodec::encode(back), bytes);
}

TEST(TemplateCodec, Generation9DropsQualities)
{
    const Template t = sampleTemplate(TemplateGeneration::Gen9);
    const auto bytes = TemplateCodec::encode(t);
    EXPECT_EQ(bytes.size(), TemplateCodec::kHeaderSize + 8 + 7 * t.features.minutiae.size());
    const Template back = TemplateCodec::decode(bytes);
    EXPECT_EQ(back.generation, TemplateGeneration::Gen9);
    EXPECT_EQ(back.features.quality, 0);
    expectSameMinutiae(back.features, t.features, false);
    for (const Minutia& m : back.features.minutiae) EXPECT_EQ(m.quality, kUnknownMinutiaQuality);
}

TEST(TemplateCodec, EmptyMinutiaListRoundTrips)
{
    Template t;
    t.features.width = 1;
    t.features.height = 1;
    EXPECT_TRUE(TemplateCodec::decode(TemplateCodec::encode(t)).features.minutiae.empty());
}

TEST(TemplateCodec, EveryTruncationIsRejected)
{
    const auto bytes = TemplateCodec::encode(sampleTemplate(TemplateGeneration::Gen10));
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        SCOPED_TRACE(n);
        const std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(n));
        EXPECT_THROW(TemplateCodec::decode(cut), TemplateError);
    }
    auto longer = bytes;
    longer.push_back(0);
    EXPECT_THROW(TemplateCodec::decode(longer), TemplateError);
}

TEST(TemplateCodec, EverySingleBitFlipIsRejected)
{
    const auto bytes = TemplateCodec::encode(sampleTemplate(TemplateGeneration::Gen9));
    for (std::size_t bit = 0; bit < bytes.size() * 8; ++bit) {
        SCOPED_TRACE(bit);
        auto flipped = bytes;
        flipped[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
        EXPECT_THROW(TemplateCodec::decode(flipped), TemplateError);
    }
}

TEST(TemplateCodec, RandomBytesAreRejected)
{
    std::mt19937 rng(1);
    for (int i = 0; i < 2000; ++i) {
        std::vector<std::uint8_t> junk(rng() % 200);
        for (auto& b : junk) b = static_cast<std::uint8_t>(rng());
        // Half of them get the right magic so that the deeper checks are reached.
        if (i % 2 == 0 && junk.size() >= 4) std::copy_n("LFPT", 4, junk.begin());
        EXPECT_THROW(TemplateCodec::decode(junk), TemplateError);
    }
}

TEST(TemplateCodec, HeaderFieldsAreChecked)
{
    const auto good = TemplateCodec::encode(sampleTemplate(TemplateGeneration::Gen10));
    const struct {
        const char* name;
        std::size_t offset;
        std::uint8_t value;
        const char* message;
    } cases[] = {
        {"format version", 4, 2, "Template format version 2 is not supported."},
        {"generation", 5, 8, "Template data is damaged: unknown template generation 8."},
        {"flags", 6, 1, "Template data is damaged: unknown flags are set."},
        {"length", 8, 0, "Template data is damaged: its length does not match."},
        // A generation-9 reading of generation-10 bytes runs out of step with the minutiae.
        {"generation 9", 5, 9, "Template data is damaged: its length does not match the minutiae."},
        {"minutia count", 26, 0xFF, "Template data is damaged: its length does not match the minutiae."},
        {"minutia type", 16 + 12 + 6, 3, "Template data is damaged: a minutia has an unknown type."},
        {"minutia quality", 16 + 12 + 7, 101, "Template data is damaged: minutia 1 has a quality above 100."},
        {"minutia x", 16 + 12 + 1, 0x7F, "Template data is damaged: minutia 1 lies outside the image."},
        {"image width", 16 + 1, 0x7F, "Template data is damaged: the image size 32656x500 is out of range."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto bytes = good;
        bytes[c.offset] = c.value;
        resealChecksum(bytes);
        try {
            TemplateCodec::decode(bytes);
            ADD_FAILURE() << "accepted";
        } catch (const TemplateError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST(TemplateCodec, ChecksumMismatchIsNamed)
{
    auto bytes = TemplateCodec::encode(sampleTemplate(TemplateGeneration::Gen10));
    bytes.back() ^= 1;
    try {
        TemplateCodec::decode(bytes);
        FAIL() << "accepted";
    } catch (const TemplateError& e) {
        EXPECT_STREQ(e.what(), "Template data is damaged: checksum mismatch.");
    }
}

TEST(TemplateCodec, FeaturesThatCannotBeStoredAreRefused)
{
    const struct {
        const char* name;
        void (*spoil)(FeatureSet&);
    } cases[] = {
        {"zero width", [](FeatureSet& f) { f.width = 0; }},
        {"huge height", [](FeatureSet& f) { f.height = kMaxTemplateImageSide + 1; }},
        {"resolution", [](FeatureSet& f) { f.resolution = 0; }},
        {"minutia left of image", [](FeatureSet& f) { f.minutiae[3].x = -1; }},
        {"minutia below image", [](FeatureSet& f) { f.minutiae[3].y = f.height; }},
        {"angle not a number", [](FeatureSet& f) { f.minutiae[0].angle = std::numeric_limits<float>::quiet_NaN(); }},
        {"angle infinite", [](FeatureSet& f) { f.minutiae[0].angle = std::numeric_limits<float>::infinity(); }},
        {"type", [](FeatureSet& f) { f.minutiae[0].type = static_cast<MinutiaType>(7); }},
        {"quality", [](FeatureSet& f) { f.minutiae[0].quality = 101; }},
        {"too many minutiae", [](FeatureSet& f) { f.minutiae.resize(kMaxTemplateMinutiae + 1, f.minutiae[0]); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Template t = sampleTemplate(TemplateGeneration::Gen10);
        c.spoil(t.features);
        EXPECT_THROW(TemplateCodec::encode(t), TemplateError);
    }
}

TEST(TemplateCodec, AnglesAreNormalised)
{
    Template t = sampleTemplate(TemplateGeneration::Gen10);
    t.features.minutiae[0].angle = -0.5f;
    t.features.minutiae[1].angle = 7.0f;
    const Template back = TemplateCodec::decode(TemplateCodec::encode(t));
    EXPECT_LT(angleDistance(back.features.minutiae[0].angle, 2 * std::numbers::pi - 0.5), 1e-4);
    EXPECT_LT(angleDistance(back.features.minutiae[1].angle, 7.0 - 2 * std::numbers::pi), 1e-4);
    for (const Minutia& m : back.features.minutiae) {
        EXPECT_GE(m.angle, 0.0f);
        EXPECT_LT(m.angle, static_cast<float>(2 * std::numbers::pi));
    }
}

}  // namespace
}  // namespace lumo::engine
