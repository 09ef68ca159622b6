// MatchTemplate: a feature set prepared for fast matching.
//
// Built once per feature set (registration or probe) and then used read-only: minutiae in
// matching coordinates (y up, so positions and angles share one orientation), each minutia's
// nearest-neighbour edges sorted by length, and the convex hull of the minutiae. Immutable after
// construction; may be shared between threads. Costs about n * neighbours edges of memory.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/match/MatchParams.h"
#include "engine/template/FeatureSet.h"

namespace lumo::engine {

class MatchTemplate {
public:
    struct Point {
        float x = 0, y = 0;
    };
    struct MinutiaPoint {
        float x = 0, y = 0;  // y up: (x, -row)
        float angle = 0;
        MinutiaType type = MinutiaType::Other;
        float quality = 0;  // 0..1
    };
    // An edge from one minutia to a neighbour, in terms invariant to rotation and translation.
    struct Edge {
        float length = 0;
        float fromAngle = 0;   // edge direction relative to the source minutia's direction
        float toAngle = 0;     // edge direction relative to the neighbour's direction
        std::uint16_t to = 0;  // neighbour index
    };

    MatchTemplate() = default;
    explicit MatchTemplate(const FeatureSet& features, const MatchParams& params = {});

    const std::vector<MinutiaPoint>& minutiae() const { return m_minutiae; }
    // Edges of minutia i: edges()[edgeStart(i) .. edgeStart(i + 1)), shortest first.
    const std::vector<Edge>& edges() const { return m_edges; }
    std::size_t edgeStart(std::size_t i) const { return m_edgeStart[i]; }
    const std::vector<Point>& hull() const { return m_hull; }
    // 1 / length of hull edge i (from hull()[i] to the next corner); 0 for a degenerate edge.
    const std::vector<float>& hullInverseLengths() const { return m_hullInverseLength; }
    const FeatureSet& features() const { return m_features; }
    std::size_t size() const { return m_minutiae.size(); }

private:
    FeatureSet m_features;
    std::vector<MinutiaPoint> m_minutiae;
    std::vector<Edge> m_edges;
    std::vector<std::size_t> m_edgeStart;
    std::vector<Point> m_hull;
    std::vector<float> m_hullInverseLength;
};

}  // namespace lumo::engine
