// Checks and conversions shared by the template forms.
#pragma once

#include <cstdint>

#include "engine/template/FeatureSet.h"

namespace lumo::engine::internal {

// Throws TemplateError ("Feature data cannot be stored: ...") unless every value of the set
// fits every form: image sides 1..kMaxTemplateImageSide, a supported resolution, at most
// kMaxTemplateMinutiae minutiae, each inside the image with a finite angle, a known type and a
// quality of at most 100.
void checkStorable(const FeatureSet& features);

// Same rules for decoded data; throws TemplateError::damaged.
void checkDecoded(const FeatureSet& features);

// Angle in radians -> units of a full turn divided into `steps`, rounded, in [0, steps).
std::uint32_t angleToUnits(float radians, std::uint32_t steps);
// Units -> radians in [0, 2*pi).
float unitsToAngle(std::uint32_t units, std::uint32_t steps);

}  // namespace lumo::engine::internal
