#include "engine/template/CompactTemplate.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <numeric>
#include <string>

#include "engine/template/Crc32.h"
#include "engine/template/TemplateError.h"
#include "engine/template/TemplateLimits.h"
#include "engine/template/internal/BitStream.h"
#include "engine/template/internal/ByteReader.h"
#include "engine/template/internal/ByteWriter.h"
#include "engine/template/internal/FeatureChecks.h"

namespace lumo::engine {

namespace {

constexpr std::array<std::uint8_t, 2> kMagic = {'L', 'Z'};
constexpr std::uint32_t kAngleSteps = 256;
constexpr std::size_t kCrcOffset = 6;
constexpr int kSideBits = 12;
constexpr int kCountBits = 10;
constexpr int kRiceBits = 4;

[[noreturn]] void damaged(const std::string& detail) { throw TemplateError::damaged(detail); }

std::uint32_t formCrc(std::span<const std::uint8_t> bytes)
{
    const std::uint32_t head = crc32(bytes.first(kCrcOffset));
    return crc32(bytes.subspan(kCrcOffset + 4), head);
}

int bitsFor(std::uint32_t maxValue) { return std::max(1, static_cast<int>(std::bit_width(maxValue))); }

std::uint8_t qualityToCode(std::uint8_t quality) { return static_cast<std::uint8_t>((quality * 15 + 50) / 100); }
std::uint8_t codeToQuality(std::uint32_t code) { return static_cast<std::uint8_t>((code * 100 + 7) / 15); }

// Rice parameter giving the shortest code for these steps.
int bestRiceParameter(const std::vector<std::uint32_t>& steps)
{
    int best = 0;
    std::uint64_t bestBits = std::numeric_limits<std::uint64_t>::max();
    for (int k = 0; k < 12; ++k) {
        std::uint64_t bits = 0;
        for (std::uint32_t s : steps) bits += (s >> k) + 1 + k;
        if (bits < bestBits) {
            bestBits = bits;
            best = k;
        }
    }
    return best;
}

std::vector<std::uint8_t> encodeAll(const Template& tmpl)
{
    const FeatureSet& f = tmpl.features;
    const bool gen10 = tmpl.generation == TemplateGeneration::Gen10;
    std::vector<Minutia> sorted = f.minutiae;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Minutia& a, const Minutia& b) {
        return a.y != b.y ? a.y < b.y : a.x < b.x;
    });
    std::vector<std::uint32_t> steps;
    int previousY = 0;
    for (const Minutia& m : sorted) {
        steps.push_back(static_cast<std::uint32_t>(m.y - previousY));
        previousY = m.y;
    }
    const int k = bestRiceParameter(steps);
    const int xBits = bitsFor(static_cast<std::uint32_t>(f.width - 1));

    internal::BitWriter bits;
    bits.put(static_cast<std::uint32_t>(f.width), kSideBits);
    bits.put(static_cast<std::uint32_t>(f.height), kSideBits);
    bits.put(static_cast<std::uint32_t>(f.resolution), kSideBits);
    if (gen10) bits.put(static_cast<std::uint32_t>(std::clamp(f.quality, 0, 255)), 8);
    bits.put(static_cast<std::uint32_t>(sorted.size()), kCountBits);
    bits.put(static_cast<std::uint32_t>(k), kRiceBits);
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        const Minutia& m = sorted[i];
        bits.rice(steps[i], k);
        bits.put(static_cast<std::uint32_t>(m.x), xBits);
        bits.put(internal::angleToUnits(m.angle, kAngleSteps), 8);
        bits.put(static_cast<std::uint32_t>(m.type), 2);
        if (gen10) bits.put(qualityToCode(m.quality), 4);
    }

    internal::ByteWriter w;
    w.append(kMagic);
    w.u8(CompactTemplate::kFormatVersion);
    w.u8(static_cast<std::uint8_t>(tmpl.generation));
    w.u16le(0);
    w.u32le(0);
    w.append(bits.bytes());
    if (w.size() > 0xFFFF) throw TemplateError("Feature data cannot be stored: the template is too large.");
    w.putU16le(4, static_cast<std::uint16_t>(w.size()));
    w.putU32le(kCrcOffset, formCrc(w.bytes()));
    return std::move(w.bytes());
}

// Minutiae in the order they are given up last: quality first, then nearness to the centre.
std::vector<Minutia> byImportance(const std::vector<Minutia>& minutiae)
{
    double cx = 0, cy = 0;
    for (const Minutia& m : minutiae) {
        cx += m.x;
        cy += m.y;
    }
    if (!minutiae.empty()) {
        cx /= minutiae.size();
        cy /= minutiae.size();
    }
    std::vector<std::size_t> order(minutiae.size());
    std::iota(order.begin(), order.end(), 0);
    auto distance = [&](const Minutia& m) { return std::hypot(m.x - cx, m.y - cy); };
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const Minutia& ma = minutiae[a];
        const Minutia& mb = minutiae[b];
        if (ma.quality != mb.quality) return ma.quality > mb.quality;
        return distance(ma) < distance(mb);
    });
    std::vector<Minutia> out;
    out.reserve(order.size());
    for (std::size_t i : order) out.push_back(minutiae[i]);
    return out;
}

}  // namespace

bool CompactTemplate::hasMagic(std::span<const std::uint8_t> bytes)
{
    return bytes.size() >= kMagic.size() && std::equal(kMagic.begin(), kMagic.end(), bytes.begin());
}

std::vector<std::uint8_t> CompactTemplate::encode(const Template& tmpl, std::size_t maxBytes)
{
    internal::checkStorable(tmpl.features);
    std::vector<std::uint8_t> out = encodeAll(tmpl);
    if (out.size() <= maxBytes) return out;

    // Shorten the list until it fits. The size is close to linear in the count, so a guess from
    // the bytes per minutia lands near the answer and the loop then steps down one at a time.
    Template kept = tmpl;
    const std::vector<Minutia> ranked = byImportance(tmpl.features.minutiae);
    std::size_t count = ranked.size();
    while (out.size() > maxBytes) {
        if (count == 0)
            throw TemplateError("Feature data cannot be stored: the template does not fit in " +
                                std::to_string(maxBytes) + " bytes.");
        const double perMinutia =
            static_cast<double>(out.size() - kHeaderSize) / static_cast<double>(count);
        const auto excess = static_cast<std::size_t>(
            std::ceil(static_cast<double>(out.size() - maxBytes) / std::max(perMinutia, 1.0)));
        count -= std::clamp<std::size_t>(excess / 2, 1, count);
        kept.features.minutiae.assign(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(count));
        out = encodeAll(kept);
    }
    // Stepping by half the estimate may undershoot; add back what still fits.
    while (count < ranked.size()) {
        kept.features.minutiae.assign(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(count + 1));
        std::vector<std::uint8_t> bigger = encodeAll(kept);
        if (bigger.size() > maxBytes) break;
        out = std::move(bigger);
        ++count;
    }
    return out;
}

std::vector<std::uint8_t> CompactTemplate::encodeForCard(const Template& tmpl)
{
    return encode(tmpl, kMaxCardTemplateBytes);
}

Template CompactTemplate::decode(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty()) damaged("the data is empty");
    if (!hasMagic(bytes)) damaged("it is not a compact template");
    internal::ByteReader r(bytes, [](const std::string& d) { damaged(d); });
    r.skip(kMagic.size());
    const std::uint8_t version = r.u8();
    const std::uint8_t generationByte = r.u8();
    const std::uint16_t length = r.u16le();
    const std::uint32_t storedCrc = r.u32le();
    if (version != kFormatVersion)
        throw TemplateError("Compact template format version " + std::to_string(version) +
                            " is not supported.");
    const auto generation = generationFromByte(generationByte);
    if (!generation) damaged("unknown template generation " + std::to_string(generationByte));
    if (length != bytes.size()) damaged("its length does not match");
    if (formCrc(bytes) != storedCrc) damaged("checksum mismatch");

    const bool gen10 = *generation == TemplateGeneration::Gen10;
    internal::BitReader bits(bytes.subspan(kHeaderSize), [](const std::string& d) { damaged(d); });
    Template t;
    t.generation = *generation;
    FeatureSet& f = t.features;
    f.width = static_cast<int>(bits.get(kSideBits));
    f.height = static_cast<int>(bits.get(kSideBits));
    f.resolution = static_cast<int>(bits.get(kSideBits));
    f.quality = gen10 ? static_cast<int>(bits.get(8)) : 0;
    const std::uint32_t count = bits.get(kCountBits);
    const int k = static_cast<int>(bits.get(kRiceBits));
    if (f.width < 1 || f.height < 1) damaged("the image size is out of range");
    if (count > kMaxTemplateMinutiae) damaged("too many minutiae");
    const int xBits = bitsFor(static_cast<std::uint32_t>(f.width - 1));
    f.minutiae.resize(count);
    int y = 0;
    for (Minutia& m : f.minutiae) {
        y += static_cast<int>(bits.rice(k, static_cast<std::uint32_t>(f.height)));
        m.y = y;
        m.x = static_cast<int>(bits.get(xBits));
        m.angle = internal::unitsToAngle(bits.get(8), kAngleSteps);
        const std::uint32_t type = bits.get(2);
        if (type > 2) damaged("a minutia has an unknown type");
        m.type = static_cast<MinutiaType>(type);
        m.quality = gen10 ? codeToQuality(bits.get(4)) : kUnknownMinutiaQuality;
    }
    bits.finish();
    internal::checkDecoded(f);
    return t;
}

}  // namespace lumo::engine
