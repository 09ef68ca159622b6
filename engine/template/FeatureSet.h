// Plain data that extraction produces and templates and matchers consume.
//
// Coordinates are pixels of the 500 dpi image the features were taken from, origin top left,
// x to the right, y downwards. Angles are radians in [0, 2*pi), measured counter-clockwise from
// the x axis in image coordinates with y pointing up (so a ridge ending pointing "up" on screen
// has angle pi/2). An ending's angle points from the ridge's body out past its free end; a
// bifurcation's angle points from the fork along the single stem, away from the two branches.
// The two agree when pressure turns an ending into a fork (the ridge end touching its
// neighbour), which keeps directions stable across presses.
#pragma once

#include <cstdint>
#include <vector>

namespace lumo::engine {

enum class MinutiaType : std::uint8_t { Other = 0, Ending = 1, Bifurcation = 2 };

struct Minutia {
    int x = 0;
    int y = 0;
    float angle = 0.0f;
    MinutiaType type = MinutiaType::Other;
    std::uint8_t quality = 0;  // 0 (unsure) .. 100 (certain)
};

struct FeatureSet {
    int width = 0;    // size of the 500 dpi image, pixels
    int height = 0;
    int resolution = 500;  // dots per inch; always 500 after resampling
    // Quality of the press: 0 is a good press; non-zero says why it is poor (see extract/).
    int quality = 0;
    std::vector<Minutia> minutiae;
};

}  // namespace lumo::engine
