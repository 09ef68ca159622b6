// DetectedMinutia: a minutia as detection finds it, before filtering and export.
//
// Carries what the false-minutiae filters need: position and direction in image coordinates
// (x right, y down, direction (cos, sin)), the minutiae its ridge branches lead to and how far.
#pragma once

#include <array>

#include "engine/template/FeatureSet.h"

namespace lumo::engine {

struct DetectedMinutia {
    int x = 0;
    int y = 0;
    float direction = 0.0f;  // radians, image coordinates, [0, 2*pi)
    MinutiaType type = MinutiaType::Ending;
    float quality = 0.0f;    // 0..1
    // Per ridge branch (1 for endings, 3 for forks): index of the minutia it reaches within
    // the trace length (-1: none) and the length of the ridge piece in pixels.
    std::array<int, 3> linkedTo{-1, -1, -1};
    std::array<int, 3> linkLength{0, 0, 0};
};

}  // namespace lumo::engine
