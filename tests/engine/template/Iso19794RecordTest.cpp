#include "engine/template/Iso19794Record.h"

#include <gtest/gtest.h>

#include <random>

#include "SampleFeatures.h"
#include "engine/template/TemplateError.h"

namespace lumo::engine {
namespace {

using test::angleDistance;
using test::sampleFeatures;

std::uint16_t be16(const std::vector<std::uint8_t>& b, std::size_t at) { return static_cast<std::uint16_t>((b[at] << 8) | b[at + 1]); }

TEST(Iso19794Record, ExportWritesThe2005Layout)
{
    FeatureSet f;
    f.width = 300;
    f.height = 400;
    f.minutiae = {{10, 20, static_cast<float>(std::numbers::pi / 2), MinutiaType::Ending, 80},
                  {299, 399, 0.0f, MinutiaType::Bifurcation, 40},
                  {5, 6, static_cast<float>(std::numbers::pi), MinutiaType::Other, 60}};
    const auto r = Iso19794Record::exportRecord(f);
    const std::vector<std::uint8_t> header = {'F', 'M', 'R', 0, ' ', '2', '0', 0};
    EXPECT_TRUE(std::equal(header.begin(), header.end(), r.begin()));
    ASSERT_EQ(r.size(), 24u + 4u + 3u * 6u + 2u);
    EXPECT_EQ((r[8] << 24) | (r[9] << 16) | (r[10] << 8) | r[11], static_cast<int>(r.size()));
    EXPECT_EQ(be16(r, 12), 0);    // capture equipment
    EXPECT_EQ(be16(r, 14), 300);  // width
    EXPECT_EQ(be16(r, 16), 400);  // height
    EXPECT_EQ(be16(r, 18), 197);  // 500 dpi in pixels per centimetre
    EXPECT_EQ(be16(r, 20), 197);
    EXPECT_EQ(r[22], 1);  // one view
    EXPECT_EQ(r[23], 0);
    EXPECT_EQ(r[24], 0);   // finger position unknown
    EXPECT_EQ(r[25], 0);   // view 0, live-scan plain
    EXPECT_EQ(r[26], 60);  // mean minutia quality
    EXPECT_EQ(r[27], 3);
    // First minutia: ending (01), x 10, y 20, 90 degrees = 64 units, quality 80.
    EXPECT_EQ(be16(r, 28), 0x4000 | 10);
    EXPECT_EQ(be16(r, 30), 20);
    EXPECT_EQ(r[32], 64);
    EXPECT_EQ(r[33], 80);
    EXPECT_EQ(be16(r, 34), 0x8000 | 299);  // bifurcation (10)
    EXPECT_EQ(be16(r, 40), 5);             // other (00)
    EXPECT_EQ(r[44], 128);
    EXPECT_EQ(be16(r, r.size() - 2), 0);  // no extended data
}

TEST(Iso19794Record, RoundTrip)
{
    const FeatureSet f = sampleFeatures(60);
    const FeatureSet back = Iso19794Record::importRecord(Iso19794Record::exportRecord(f));
    EXPECT_EQ(back.width, f.width);
    EXPECT_EQ(back.height, f.height);
    EXPECT_EQ(back.resolution, 500);
    ASSERT_EQ(back.minutiae.size(), f.minutiae.size());
    for (std::size_t i = 0; i < f.minutiae.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(back.minutiae[i].x, f.minutiae[i].x);
        EXPECT_EQ(back.minutiae[i].y, f.minutiae[i].y);
        EXPECT_EQ(back.minutiae[i].type, f.minutiae[i].type);
        EXPECT_EQ(back.minutiae[i].quality, f.minutiae[i].quality);
        EXPECT_LE(angleDistance(back.minutiae[i].angle, f.minutiae[i].angle), std::numbers::pi / 256 + 1e-4);
    }
}

TEST(Iso19794Record, AViewKeepsThe255BestMinutiae)
{
    const FeatureSet f = sampleFeatures(400, 800, 800);
    const FeatureSet back = Iso19794Record::importRecord(Iso19794Record::exportRecord(f));
    ASSERT_EQ(back.minutiae.size(), 255u);
    std::vector<int> q;
    for (const Minutia& m : f.minutiae) q.push_back(m.quality);
    std::sort(q.rbegin(), q.rend());
    for (const Minutia& m : back.minutiae) EXPECT_GE(m.quality, q[254]);
}

// A record as another system might write it: two views at 1000 dpi (394 pixels/cm) with an
// extended data block in the first view.
std::vector<std::uint8_t> foreignRecord()
{
    std::vector<std::uint8_t> r = {'F', 'M', 'R', 0, ' ', '2', '0', 0, 0, 0, 0, 0,  // length below
                                   0x10, 0x05,  // certified, device 5
                                   0x03, 0x20, 0x03, 0xE8,  // 800 x 1000
                                   0x01, 0x8A, 0x01, 0x8A,  // 394 pixels/cm
                                   2, 0,
                                   // view 1: right index, view 0, rolled, quality 70, 1 minutia
                                   2, 0x01, 70, 1, 0x40 | 0x01, 0x90, 0x01, 0xF4, 32, 90,
                                   // extended data: one block of 6 bytes
                                   0x00, 0x06, 0x00, 0x01, 0x00, 0x06, 0xAA, 0xBB,
                                   // view 2: same finger, view 1, 2 minutiae
                                   2, 0x11, 60, 2, 0x80 | 0x00, 0x64, 0x00, 0xC8, 0, 50, 0x00,
                                   0x00, 0x03, 0xE7, 192, 100, 0x00, 0x00};
    r[11] = static_cast<std::uint8_t>(r.size());
    return r;
}

TEST(Iso19794Record, ImportRescalesAndChoosesTheView)
{
    const auto r = foreignRecord();
    const FeatureSet first = Iso19794Record::importRecord(r);
    EXPECT_EQ(first.width, 400);
    EXPECT_EQ(first.height, 500);
    ASSERT_EQ(first.minutiae.size(), 1u);
    EXPECT_NEAR(first.minutiae[0].x, 200, 1);  // 400 at 1000 dpi
    EXPECT_NEAR(first.minutiae[0].y, 250, 1);
    EXPECT_EQ(first.minutiae[0].type, MinutiaType::Ending);
    EXPECT_EQ(first.minutiae[0].quality, 90);
    EXPECT_LT(angleDistance(first.minutiae[0].angle, std::numbers::pi / 4), 1e-4);

    const FeatureSet second = Iso19794Record::importRecord(r, 1);
    ASSERT_EQ(second.minutiae.size(), 2u);
    EXPECT_EQ(second.minutiae[0].type, MinutiaType::Bifurcation);
    EXPECT_EQ(second.minutiae[1].type, MinutiaType::Other);
    EXPECT_NEAR(second.minutiae[1].x, 0, 1);
    EXPECT_NEAR(second.minutiae[1].y, 499, 1);
    EXPECT_THROW(Iso19794Record::importRecord(r, 2), TemplateError);
}

TEST(Iso19794Record, MalformedRecordsAreRejected)
{
    const auto good = foreignRecord();
    const struct {
        const char* name;
        std::size_t offset;
        std::uint8_t value;
    } cases[] = {
        {"identifier", 0, 'X'},
        {"version", 5, '1'},
        {"length", 11, 0},
        {"reserved byte", 23, 1},
        {"no views", 22, 0},
        {"three views", 22, 3},
        {"zero width", 14, 0},
        {"zero x resolution", 18, 0},
        {"finger position", 24, 200},
        {"impression type", 25, 0x07},
        {"finger quality", 26, 101},
        {"minutia type 11", 28, 0xC1},
        {"reserved bits of y", 30, 0x41},
        {"x outside the image", 28, 0x43},
        {"minutia quality", 33, 101},
        {"extended length too long", 34, 0x10},
        {"extended block length", 39, 0x20},
        {"minutia count", 27, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto r = good;
        r[c.offset] = c.value;
        if (c.offset == 14) r[15] = 0;
        if (c.offset == 18) r[19] = 0;
        EXPECT_THROW(Iso19794Record::importRecord(r), TemplateError);
    }
    for (std::size_t n = 0; n < good.size(); ++n) {
        SCOPED_TRACE(n);
        auto cut = std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<long>(n));
        if (n > 11) cut[11] = static_cast<std::uint8_t>(n);  // lengths agree, contents end early
        EXPECT_THROW(Iso19794Record::importRecord(cut), TemplateError);
    }
}

TEST(Iso19794Record, RandomBytesNeverReadOutOfBounds)
{
    std::mt19937 rng(11);
    for (int i = 0; i < 3000; ++i) {
        std::vector<std::uint8_t> r = {'F', 'M', 'R', 0, ' ', '2', '0', 0};
        const std::size_t n = rng() % 80;
        for (std::size_t k = 0; k < n; ++k) r.push_back(static_cast<std::uint8_t>(rng() % 4 ? rng() % 4 : rng()));
        if (r.size() >= 12) r[11] = static_cast<std::uint8_t>(r.size()), r[8] = r[9] = r[10] = 0;
        try {
            Iso19794Record::importRecord(r);
        } catch (const TemplateError&) {
        }
    }
}

}  // namespace
}  // namespace lumo::engine
