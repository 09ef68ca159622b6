// Loading a benchmark folder of FINGER_IMPRESSION.ext images and extracting them, timed.
#pragma once

#include <string>
#include <vector>

#include "engine/extract/ExtractParams.h"
#include "engine/template/FeatureSet.h"

namespace lumo::bench {

struct Impression {
    std::string name;  // file name without folder
    int finger = 0;
    int impression = 0;
    engine::FeatureSet features;
    double extractMs = 0;  // CPU time of this thread: fair on a machine shared with others
    bool failed = false;  // not loadable
};

// CPU time consumed by the calling thread, milliseconds.
double threadCpuMs();

// Sorted by finger, then impression. Throws std::runtime_error when the folder holds no image.
std::vector<Impression> loadFolder(const std::string& dir, int dpi, bool verbose, const engine::ExtractParams& params);

}  // namespace lumo::bench
