// Limits every template form enforces, on writing and on reading.
#pragma once

#include <cstddef>

namespace lumo::engine {

// Largest image side a template may describe, in pixels at 500 dpi (about 10 cm).
inline constexpr int kMaxTemplateImageSide = 2048;
// Resolutions a feature set may claim, dots per inch.
inline constexpr int kMinTemplateResolution = 100;
inline constexpr int kMaxTemplateResolution = 2000;
// A real press gives well under 200 minutiae; more means noise, and the limit keeps every
// decoder's allocation small.
inline constexpr std::size_t kMaxTemplateMinutiae = 1000;
// The card record reads back its first 416 bytes; the longer (extended user id) layout spends
// 10 of them before the template, so a card template of at most 406 bytes reads back whole in
// either layout.
inline constexpr std::size_t kMaxCardTemplateBytes = 406;

}  // namespace lumo::engine
