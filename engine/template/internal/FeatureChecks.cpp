#include "engine/template/internal/FeatureChecks.h"

#include <cmath>
#include <numbers>
#include <string>

#include "engine/template/TemplateError.h"
#include "engine/template/TemplateLimits.h"

namespace lumo::engine::internal {

namespace {

// Empty string when the set is sound, else what is wrong with it.
std::string problem(const FeatureSet& f)
{
    if (f.width < 1 || f.width > kMaxTemplateImageSide || f.height < 1 ||
        f.height > kMaxTemplateImageSide)
        return "the image size " + std::to_string(f.width) + "x" + std::to_string(f.height) +
               " is out of range";
    if (f.resolution < kMinTemplateResolution || f.resolution > kMaxTemplateResolution)
        return "the resolution " + std::to_string(f.resolution) + " dpi is out of range";
    if (f.minutiae.size() > kMaxTemplateMinutiae)
        return "there are more than " + std::to_string(kMaxTemplateMinutiae) + " minutiae";
    for (std::size_t i = 0; i < f.minutiae.size(); ++i) {
        const Minutia& m = f.minutiae[i];
        const std::string which = "minutia " + std::to_string(i + 1);
        if (m.x < 0 || m.x >= f.width || m.y < 0 || m.y >= f.height)
            return which + " lies outside the image";
        if (!std::isfinite(m.angle)) return which + " has no valid direction";
        if (m.type != MinutiaType::Other && m.type != MinutiaType::Ending &&
            m.type != MinutiaType::Bifurcation)
            return which + " has an unknown type";
        if (m.quality > 100) return which + " has a quality above 100";
    }
    return {};
}

}  // namespace

void checkStorable(const FeatureSet& features)
{
    const std::string p = problem(features);
    if (!p.empty()) throw TemplateError("Feature data cannot be stored: " + p + ".");
}

void checkDecoded(const FeatureSet& features)
{
    const std::string p = problem(features);
    if (!p.empty()) throw TemplateError::damaged(p);
}

std::uint32_t angleToUnits(float radians, std::uint32_t steps)
{
    const double turn = 2.0 * std::numbers::pi;
    double units = std::round(std::fmod(static_cast<double>(radians), turn) / turn * steps);
    if (units < 0) units += steps;
    auto u = static_cast<std::int64_t>(units) % steps;
    if (u < 0) u += steps;
    return static_cast<std::uint32_t>(u);
}

float unitsToAngle(std::uint32_t units, std::uint32_t steps)
{
    return static_cast<float>(2.0 * std::numbers::pi * (units % steps) / steps);
}

}  // namespace lumo::engine::internal
