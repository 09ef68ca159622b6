#include "engine/template/Iso19794Record.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <numeric>
#include <string>

#include "engine/template/TemplateError.h"
#include "engine/template/TemplateLimits.h"
#include "engine/template/internal/ByteReader.h"
#include "engine/template/internal/ByteWriter.h"
#include "engine/template/internal/FeatureChecks.h"

namespace lumo::engine {

namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {'F', 'M', 'R', 0};
constexpr std::array<std::uint8_t, 4> kVersion = {' ', '2', '0', 0};
constexpr std::uint32_t kAngleSteps = 256;
constexpr double kCmPerInch = 2.54;
constexpr std::size_t kViewHeaderSize = 4;
constexpr std::size_t kMinutiaSize = 6;

[[noreturn]] void damaged(const std::string& detail)
{
    throw TemplateError("ISO/IEC 19794-2 record is damaged: " + detail + ".");
}

std::uint16_t pixelsPerCm(int dpi) { return static_cast<std::uint16_t>(std::lround(dpi / kCmPerInch)); }

}  // namespace

bool Iso19794Record::hasMagic(std::span<const std::uint8_t> bytes)
{
    return bytes.size() >= kMagic.size() && std::equal(kMagic.begin(), kMagic.end(), bytes.begin());
}

std::vector<std::uint8_t> Iso19794Record::exportRecord(const FeatureSet& features)
{
    internal::checkStorable(features);
    std::vector<Minutia> minutiae = features.minutiae;
    if (minutiae.size() > kMaxMinutiaePerView) {
        std::stable_sort(minutiae.begin(), minutiae.end(),
                         [](const Minutia& a, const Minutia& b) { return a.quality > b.quality; });
        minutiae.resize(kMaxMinutiaePerView);
    }
    const unsigned qualitySum = std::accumulate(
        minutiae.begin(), minutiae.end(), 0u, [](unsigned s, const Minutia& m) { return s + m.quality; });
    const auto fingerQuality =
        static_cast<std::uint8_t>(minutiae.empty() ? 0 : qualitySum / minutiae.size());

    internal::ByteWriter w;
    w.append(kMagic);
    w.append(kVersion);
    w.u32be(0);  // record length, filled in below
    w.u16be(0);  // capture equipment: not certified, unknown device
    w.u16be(static_cast<std::uint16_t>(features.width));
    w.u16be(static_cast<std::uint16_t>(features.height));
    w.u16be(pixelsPerCm(features.resolution));
    w.u16be(pixelsPerCm(features.resolution));
    w.u8(1);  // finger views
    w.u8(0);  // reserved
    w.u8(0);  // finger position unknown
    w.u8(0);  // view 0, impression type 0 (live-scan plain)
    w.u8(fingerQuality);
    w.u8(static_cast<std::uint8_t>(minutiae.size()));
    for (const Minutia& m : minutiae) {
        const std::uint16_t typeBits = m.type == MinutiaType::Ending        ? 1
                                       : m.type == MinutiaType::Bifurcation ? 2
                                                                            : 0;
        w.u16be(static_cast<std::uint16_t>((typeBits << 14) | (m.x & 0x3FFF)));
        w.u16be(static_cast<std::uint16_t>(m.y & 0x3FFF));
        w.u8(static_cast<std::uint8_t>(internal::angleToUnits(m.angle, kAngleSteps)));
        w.u8(m.quality);
    }
    w.u16be(0);  // extended data length
    w.putU32be(8, static_cast<std::uint32_t>(w.size()));
    return std::move(w.bytes());
}

FeatureSet Iso19794Record::importRecord(std::span<const std::uint8_t> bytes, std::size_t viewIndex)
{
    if (bytes.empty()) damaged("the data is empty");
    if (!hasMagic(bytes)) damaged("it is not a finger minutiae record");
    internal::ByteReader r(bytes, [](const std::string& d) { damaged(d); });
    r.skip(kMagic.size());
    const auto version = r.bytes(kVersion.size());
    if (!std::equal(version.begin(), version.end(), kVersion.begin()))
        throw TemplateError("ISO/IEC 19794-2 record version is not supported (only 2005, \" 20\").");
    const std::uint32_t length = r.u32be();
    if (length != bytes.size()) damaged("its length does not match");
    r.u16be();  // capture equipment: any value is acceptable
    const int width = r.u16be();
    const int height = r.u16be();
    const int xRes = r.u16be();
    const int yRes = r.u16be();
    const int views = r.u8();
    if (r.u8() != 0) damaged("the reserved byte is set");
    if (width < 1 || height < 1) damaged("the image size is zero");
    if (xRes == 0 || yRes == 0) damaged("the resolution is zero");
    if (views == 0) damaged("it holds no finger view");
    if (viewIndex >= static_cast<std::size_t>(views))
        throw TemplateError("ISO/IEC 19794-2 record has no finger view " + std::to_string(viewIndex + 1) + ".");

    FeatureSet chosen;
    for (int v = 0; v < views; ++v) {
        const int position = r.u8();
        const int viewAndImpression = r.u8();
        const int fingerQuality = r.u8();
        const int count = r.u8();
        if (position > 15) damaged("a finger position is out of range");
        const int impression = viewAndImpression & 0x0F;
        if (impression > 3 && impression != 8) damaged("an impression type is out of range");
        if (fingerQuality > 100) damaged("a finger quality is out of range");
        std::vector<Minutia> minutiae;
        minutiae.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            const std::uint16_t typeAndX = r.u16be();
            const std::uint16_t reservedAndY = r.u16be();
            const std::uint8_t angle = r.u8();
            const std::uint8_t quality = r.u8();
            const unsigned typeBits = typeAndX >> 14;
            if (typeBits == 3) damaged("a minutia has an unknown type");
            if ((reservedAndY >> 14) != 0) damaged("reserved minutia bits are set");
            const int x = typeAndX & 0x3FFF;
            const int y = reservedAndY & 0x3FFF;
            if (x >= width || y >= height) damaged("a minutia lies outside the image");
            if (quality > 100) damaged("a minutia quality is out of range");
            Minutia m;
            m.x = x;
            m.y = y;
            m.angle = internal::unitsToAngle(angle, kAngleSteps);
            m.type = typeBits == 1 ? MinutiaType::Ending
                     : typeBits == 2 ? MinutiaType::Bifurcation
                                     : MinutiaType::Other;
            m.quality = quality;
            minutiae.push_back(m);
        }
        // Extended data: a run of blocks (type u16, length u16 including its own 4 bytes).
        const std::size_t extended = r.u16be();
        if (extended > r.remaining()) damaged("the extended data ends early");
        std::size_t used = 0;
        while (used < extended) {
            if (extended - used < 4) damaged("an extended data block is cut short");
            r.u16be();
            const std::size_t blockLength = r.u16be();
            if (blockLength < 4 || blockLength > extended - used) damaged("an extended data block length is wrong");
            r.skip(blockLength - 4);
            used += blockLength;
        }
        if (static_cast<std::size_t>(v) == viewIndex) chosen.minutiae = std::move(minutiae);
    }
    if (!r.atEnd()) damaged("unexpected bytes follow the last view");

    // Rescale to the engine's 500 dpi.
    const double sx = 500.0 / (xRes * kCmPerInch);
    const double sy = 500.0 / (yRes * kCmPerInch);
    const bool rescale = pixelsPerCm(500) != xRes || pixelsPerCm(500) != yRes;
    chosen.resolution = 500;
    if (!rescale) {
        chosen.width = width;
        chosen.height = height;
    } else {
        chosen.width = std::max(1, static_cast<int>(std::lround(width * sx)));
        chosen.height = std::max(1, static_cast<int>(std::lround(height * sy)));
        for (Minutia& m : chosen.minutiae) {
            m.x = std::min(chosen.width - 1, static_cast<int>(std::lround(m.x * sx)));
            m.y = std::min(chosen.height - 1, static_cast<int>(std::lround(m.y * sy)));
            if (sx != sy) {
                // A direction stretches with the axes; y grows downwards in the image.
                const double dx = std::cos(m.angle) * sx;
                const double dy = std::sin(m.angle) * sy;
                double a = std::atan2(dy, dx);
                if (a < 0) a += 2 * std::numbers::pi;
                m.angle = static_cast<float>(a);
                if (m.angle >= static_cast<float>(2 * std::numbers::pi)) m.angle = 0.0f;
            }
        }
    }
    if (chosen.width > kMaxTemplateImageSide || chosen.height > kMaxTemplateImageSide)
        damaged("the image size is out of range");
    if (chosen.minutiae.size() > kMaxTemplateMinutiae) damaged("too many minutiae");
    return chosen;
}

}  // namespace lumo::engine
