// Smudge: a poor press made from a good one, for the virtual scanner window's "Poor press"
// button: what a smeared, too light and noisy press looks like.
//
// The image is blurred heavily (three box passes of radius 6 pixels at 500 dpi, about a
// Gaussian of sigma 6, which washes out ridges about 9 pixels apart), its contrast is cut to a
// fifth around its mean, and fixed pseudo-random noise is added. The result is the same for the
// same image every time (no clock, no global random state); extraction judges it poor (a
// non-zero quality code) where the original was good.
//
// Pure function on values; any thread; never throws (an empty image stays empty).
#pragma once

#include "engine/image/GrayImage.h"

namespace lumo::scanner {

engine::GrayImage smudgeImage(const engine::GrayImage& image);

}  // namespace lumo::scanner
