// MatchParams: every tuning constant of the 1:1 matcher, with its default.
//
// Lengths are pixels at 500 dpi, angles radians. Plain data; the defaults define the score
// scale (see Matcher.h), so change them only together with a new calibration.
#pragma once

namespace lumo::engine {

struct MatchParams {
    // Local structure of a minutia: its nearest neighbours, at most this many and this far.
    int neighbours = 10;
    float maxEdgeLength = 160.0f;
    // Two edges (minutia pairs) agree when lengths and the three relative angles agree this
    // well; the length tolerance grows with the length, which absorbs skin distortion.
    float edgeLengthTolerance = 5.0f;
    float edgeLengthRelative = 0.08f;
    float edgeAngleTolerance = 0.40f;
    // Hash bins for the search of pairs to start from.
    float hashLengthStep = 8.0f;
    int hashAngleBins = 16;
    // Start pairs tried per comparison (the best supported ones).
    int seeds = 8;
    int minSeedVotes = 2;
    // Trees grown from the start pairs with at least this share of the largest tree's pairs
    // are scored too, and the best score counts (1: only the largest).
    float treeShare = 0.6f;
    // A paired minutia may turn by at most this much against the start pair (drift guard).
    float maxRotationDrift = 0.6f;
    // Paired minutiae count only with this many agreeing edges to other pairs.
    int minSupport = 2;
    // Pairs farther than this from where the fitted rigid motion puts them are dropped, worst
    // first, fitting the motion again each time (0: every pair is kept).
    float maxResidual = 18.0f;
    // After fitting the motion, unpaired minutiae this close (and this similar in direction)
    // are paired too, each counting alignedWeight of a pair; 0 switches this off.
    float alignedRadius = 14.0f;
    float alignedAngle = 0.5f;
    float alignedWeight = 0.7f;
    // Area estimate: a minutia counts as inside the other print when it lies within its convex
    // hull grown by this margin.
    float hullMargin = 12.0f;
    // Below this many minutiae in the common area, the normalisation uses this many (small
    // overlaps do not earn high scores from a few chance pairs).
    int minOverlapCount = 12;
    // 0: every minutia counts the same; 1: a minutia counts by its quality (0..1).
    float qualityWeighting = 0.7f;
    // Pairs per unit of evidence in the score (fewer than this count doubly against it).
    float fullPairCount = 10.0f;
    // Calibration of the score scale (see Matcher.h and bench/README.md).
    float scoreScale = 16.5f;
};

}  // namespace lumo::engine
