// Matcher: compares one probe with any number of candidates (1:1 and the inner loop of 1:N).
//
// The probe is prepared once (a hash of its minutia-pair edges); match() then scores one
// candidate MatchTemplate in microseconds. The matcher pairs minutiae by growing from the
// best-supported start pairs along neighbour edges whose lengths and angles agree, so it is
// independent of rotation and translation, tolerates partial overlap (scores are normalised by
// the minutiae in the common area only) and skin distortion (only local geometry is compared).
//
// Score scale: 0 = nothing in common, no upper bound (~30..200 for good genuine pairs).
// 10 is the default threshold and corresponds to a false match rate near 1 in 10,000; see
// bench/README.md for the measured relation of score and false match rate. Scores are
// symmetric only approximately; compare a probe with candidates, not the reverse.
//
// A Matcher holds scratch buffers: one instance per thread; MatchTemplates may be shared.
//
//   Matcher m(MatchTemplate(probeFeatures));
//   for (const MatchTemplate& c : gallery) if (m.match(c) >= 10) ...
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "engine/match/MatchParams.h"
#include "engine/match/MatchTemplate.h"

namespace lumo::engine {

inline constexpr float kDefaultMatchThreshold = 10.0f;

struct MatchResult {
    float score = 0;
    // Paired minutiae: index in the probe's and in the candidate's feature set.
    std::vector<std::pair<int, int>> pairs;
    // Rigid motion fitted to the pairs, mapping probe pixels onto candidate pixels.
    float rotation = 0;  // radians, counter-clockwise with y up (as minutia angles)
    float dx = 0, dy = 0;
    int probeInOverlap = 0;      // probe minutiae inside the candidate's area
    int candidateInOverlap = 0;  // candidate minutiae inside the probe's area
    int aligned = 0;             // pairs added by position after the motion was fitted
    int support = 0;             // agreeing edges between the pairs (each counted from both ends)

    // Probe pixel position -> candidate pixel position (feature set coordinates, y down).
    std::pair<float, float> mapPoint(float x, float y) const;
    // Probe minutia angle -> candidate minutia angle.
    float mapAngle(float angle) const;
};

class Matcher {
public:
    explicit Matcher(MatchTemplate probe, const MatchParams& params = {});

    float match(const MatchTemplate& candidate);
    MatchResult matchDetailed(const MatchTemplate& candidate);

    const MatchTemplate& probe() const { return m_probe; }

private:
    struct Candidate {
        float cost;
        std::uint16_t p, c;
        bool operator<(const Candidate& o) const { return cost > o.cost; }  // min-heap
    };
    struct Tree {
        std::vector<std::pair<int, int>> pairs;
        float weight = 0;
    };
    void grow(const MatchTemplate& candidate, int seedP, int seedC, Tree& tree);
    struct Near {
        float d2;  // squared distance after the motion
        int p, c;
    };
    MatchResult evaluate(const MatchTemplate& candidate, const Tree& tree);

    MatchTemplate m_probe;
    MatchParams m_params;
    int m_lengthBins = 0;
    // Probe edges by hash cell: indices into m_probe.edges(), cells in CSR form.
    std::vector<std::uint32_t> m_cellStart;
    std::vector<std::uint32_t> m_cellEdges;
    std::vector<std::uint16_t> m_edgeFrom;  // source minutia of each probe edge
    // Scratch.
    std::vector<std::uint16_t> m_votes;
    std::vector<int> m_probeMate, m_candidateMate;
    std::vector<Candidate> m_heap;
    std::vector<Tree> m_trees;
    std::vector<std::pair<int, int>> m_pairs;
    std::vector<char> m_usedP, m_usedC;
    std::vector<Near> m_near;
    std::size_t m_treeCount = 0;
};

// Convenience for single comparisons.
float matchScore(const FeatureSet& probe, const FeatureSet& candidate, const MatchParams& params = {});

}  // namespace lumo::engine
