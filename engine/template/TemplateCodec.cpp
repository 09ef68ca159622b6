#include "engine/template/TemplateCodec.h"

#include <array>
#include <string>

#include "engine/template/Crc32.h"
#include "engine/template/TemplateError.h"
#include "engine/template/TemplateLimits.h"
#include "engine/template/internal/ByteReader.h"
#include "engine/template/internal/ByteWriter.h"
#include "engine/template/internal/FeatureChecks.h"

namespace lumo::engine {

namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {'L', 'F', 'P', 'T'};
constexpr std::uint32_t kAngleSteps = 65536;
constexpr std::size_t kCrcOffset = 12;

[[noreturn]] void damaged(const std::string& detail) { throw TemplateError::damaged(detail); }

std::uint32_t formCrc(std::span<const std::uint8_t> bytes)
{
    const std::uint32_t head = crc32(bytes.first(kCrcOffset));
    return crc32(bytes.subspan(kCrcOffset + 4), head);
}

}  // namespace

bool TemplateCodec::hasMagic(std::span<const std::uint8_t> bytes)
{
    return bytes.size() >= kMagic.size() && std::equal(kMagic.begin(), kMagic.end(), bytes.begin());
}

std::vector<std::uint8_t> TemplateCodec::encode(const Template& tmpl)
{
    const FeatureSet& f = tmpl.features;
    internal::checkStorable(f);
    const bool gen10 = tmpl.generation == TemplateGeneration::Gen10;

    internal::ByteWriter w;
    w.append(kMagic);
    w.u8(kFormatVersion);
    w.u8(static_cast<std::uint8_t>(tmpl.generation));
    w.u16le(0);
    w.u32le(0);  // length, filled in below
    w.u32le(0);  // checksum, filled in below
    w.u16le(static_cast<std::uint16_t>(f.width));
    w.u16le(static_cast<std::uint16_t>(f.height));
    w.u16le(static_cast<std::uint16_t>(f.resolution));
    if (gen10) w.i32le(f.quality);
    w.u16le(static_cast<std::uint16_t>(f.minutiae.size()));
    for (const Minutia& m : f.minutiae) {
        w.u16le(static_cast<std::uint16_t>(m.x));
        w.u16le(static_cast<std::uint16_t>(m.y));
        w.u16le(static_cast<std::uint16_t>(internal::angleToUnits(m.angle, kAngleSteps)));
        w.u8(static_cast<std::uint8_t>(m.type));
        if (gen10) w.u8(m.quality);
    }
    w.putU32le(8, static_cast<std::uint32_t>(w.size()));
    w.putU32le(kCrcOffset, formCrc(w.bytes()));
    return std::move(w.bytes());
}

Template TemplateCodec::decode(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty()) damaged("the data is empty");
    if (!hasMagic(bytes)) damaged("it is not a template");
    internal::ByteReader r(bytes, [](const std::string& d) { damaged(d); });
    r.skip(kMagic.size());
    const std::uint8_t version = r.u8();
    const std::uint8_t generationByte = r.u8();
    const std::uint16_t flags = r.u16le();
    const std::uint32_t length = r.u32le();
    const std::uint32_t storedCrc = r.u32le();
    if (version != kFormatVersion)
        throw TemplateError("Template format version " + std::to_string(version) +
                            " is not supported.");
    const auto generation = generationFromByte(generationByte);
    if (!generation) damaged("unknown template generation " + std::to_string(generationByte));
    if (flags != 0) damaged("unknown flags are set");
    if (length != bytes.size()) damaged("its length does not match");
    if (formCrc(bytes) != storedCrc) damaged("checksum mismatch");

    const bool gen10 = *generation == TemplateGeneration::Gen10;
    Template t;
    t.generation = *generation;
    FeatureSet& f = t.features;
    f.width = r.u16le();
    f.height = r.u16le();
    f.resolution = r.u16le();
    f.quality = gen10 ? r.i32le() : 0;
    const std::size_t count = r.u16le();
    if (count > kMaxTemplateMinutiae) damaged("too many minutiae");
    const std::size_t perMinutia = gen10 ? 8 : 7;
    if (r.remaining() != count * perMinutia) damaged("its length does not match the minutiae");
    f.minutiae.resize(count);
    for (Minutia& m : f.minutiae) {
        m.x = r.u16le();
        m.y = r.u16le();
        m.angle = internal::unitsToAngle(r.u16le(), kAngleSteps);
        const std::uint8_t type = r.u8();
        if (type > 2) damaged("a minutia has an unknown type");
        m.type = static_cast<MinutiaType>(type);
        m.quality = gen10 ? r.u8() : kUnknownMinutiaQuality;
    }
    internal::checkDecoded(f);
    return t;
}

}  // namespace lumo::engine
