// IndexParams: tuning constants of the 1:N index (Index.h), with their meaning.
//
// Lengths are pixels at 500 dpi. The pre-filter describes every print by its minutia-pair
// edges (length, both minutiae's directions relative to the edge, both types), which do not
// change when the finger turns or moves; a probe votes for stored prints sharing its edges,
// and votes count only when they agree on one turn of the finger.
#pragma once

namespace lumo::engine {

struct IndexParams {
    // Edges from each minutia to its nearest neighbours, not shorter or longer than these.
    int neighbours = 5;
    float minEdgeLength = 10.0f;
    float maxEdgeLength = 150.0f;
    // Bins of the edge description. A probe edge also looks into the nearest neighbouring bin
    // of every measure, so values near a bin border still meet.
    float lengthStep = 8.0f;
    int angleBins = 16;
    // Bins of the finger's turn that votes must agree on (two neighbouring bins are counted
    // together, so 32 bins accept votes within about 22 degrees of each other).
    int rotationBins = 32;
    // Stored prints with the most votes that are compared in full by the matcher. More finds
    // hard probes (small, distorted) more often and costs proportionally more time.
    int candidates = 200;
    // Threads for one identification (voting and full comparisons).
    int threads = 2;
};

}  // namespace lumo::engine
