// OrientationField: the local ridge direction of every pixel.
//
// angle is the ridge orientation in image coordinates (x right, y down), radians in [0, pi);
// coherence in [0, 1] says how clearly one orientation dominates (0 = noise or singularity,
// 1 = perfectly parallel ridges). Value type.
#pragma once

#include <vector>

#include "engine/extract/Plane.h"

namespace lumo::engine {

struct OrientationField {
    FloatPlane angle;
    FloatPlane coherence;
};

}  // namespace lumo::engine
