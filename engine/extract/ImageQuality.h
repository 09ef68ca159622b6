// Codes for the quality of a press, stored in FeatureSet::quality.
//
// 0 means a press good enough to enrol and match. Every other code says why the press is poor,
// so that the user can be asked to try again in the right way; the order is the order in which
// extraction checks them (the first that applies wins).
#pragma once

#include <string>

namespace lumo::engine {

enum class ImageQuality : int {
    Good = 0,
    Empty = 1,            // no print found: blank, uniform or pure noise image
    TooSmall = 2,         // print area too small (partial press, finger tip only)
    LowContrast = 3,      // ridges too faint: very light/dark, smudged or wet press
    UnclearRidges = 4,    // ridge flow too broken over much of the print (dry, smeared, moved)
    TooFewMinutiae = 5,   // too few reliable minutiae to match with confidence
};

// A short English description ("good", "no finger", ...) for logs and tools.
std::string describe(ImageQuality quality);

}  // namespace lumo::engine
