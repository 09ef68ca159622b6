// Loading a benchmark folder of FINGER_IMPRESSION.ext images and extracting them, timed.
#pragma once

#include <string>
#include <vector>

#include "engine/template/FeatureSet.h"

namespace lumo::bench {

struct Impression {
    std::string name;  // file name without folder
    int finger = 0;
    int impression = 0;
    engine::FeatureSet features;
    double extractMs = 0;
    bool failed = false;  // not loadable
};

// Sorted by finger, then impression. Throws std::runtime_error when the folder holds no image.
std::vector<Impression> loadFolder(const std::string& dir, int dpi, bool verbose);

}  // namespace lumo::bench
