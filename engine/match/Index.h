// Index: the engine's 1:N identification cache (CreateFPCacheDB and its members).
//
// Holds feature sets under integer ids chosen by the caller and answers which stored print a
// probe matches. Identification runs in two steps: a pre-filter votes with the probe's
// minutia-pair edges in an inverted index of every stored print's edges (votes count only
// when they agree on one turn of the finger) and ranks the prints; the best
// IndexParams::candidates of them are then compared in full by the scorer (by default the
// engine's Matcher). Every stored print is prepared for the scorer once, when it is added
// (IndexScorer::prepare), so an identification prepares only the probe. Both steps run on
// IndexParams::threads threads. Designed for 100,000 stored prints answering in well under a
// second on two cores (bench/fpindexbench measures it). Memory is dominated by the prepared
// templates (mostly their neighbour edges): with the engine's matcher about 240 bytes per
// stored minutia all told, 9.3 KB for a print of 38 minutiae; memoryBytes() counts it.
//
//   Index index;
//   index.add(17, features);
//   IdentifyResult r = index.identify(probe, kDefaultMatchThreshold);
//   if (r.id >= 0) ...  // r.score, r.compared
//
// Threads: the Index object is used from one thread; identify() starts its own workers and
// joins them before it returns (they share the prepared templates read-only). Errors: add()
// throws IndexError for a feature set it cannot hold and then leaves the index as it was;
// nothing else throws except std::bad_alloc (after which the index is still consistent).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "engine/EngineError.h"
#include "engine/match/IndexParams.h"
#include "engine/match/MatchTemplate.h"
#include "engine/match/IndexScorer.h"
#include "engine/template/FeatureSet.h"
#include "engine/template/Template.h"

namespace lumo::engine {

class IndexError : public EngineError {
public:
    using EngineError::EngineError;
};

struct IdentifyResult {
    int id = -1;        // the stored print matched, -1 when none reaches the threshold
    float score = 0;    // best full-comparison score seen (also when id is -1)
    int compared = 0;   // prints compared in full
};

class Index {
public:
    // A null scorer means the engine's Matcher (IndexMatcherScorer).
    explicit Index(const IndexParams& params = {}, std::shared_ptr<const IndexScorer> scorer = nullptr);
    ~Index();
    Index(const Index&) = delete;
    Index& operator=(const Index&) = delete;

    // Stores the print under id, replacing what id held before; true when it replaced.
    // Throws IndexError when the set has more than 65535 minutiae, a side beyond 65535 or a
    // minutia off the image grid or without a direction.
    bool add(int id, const FeatureSet& features);
    bool add(int id, const Template& tmpl) { return add(id, tmpl.features); }
    // False when id is not stored.
    bool remove(int id);
    bool contains(int id) const { return m_slotOf.count(id) != 0; }
    std::size_t size() const { return m_slotOf.size(); }
    void clear();

    // The stored print the probe matches best with a score of at least threshold.
    IdentifyResult identify(const FeatureSet& probe, float threshold) const;

    // Bytes held for the stored prints (entries, prepared templates, postings), for benchmarks.
    std::size_t memoryBytes() const;

    // The pre-filter's ranking alone, best first (ids), at most `count`; for tests and tuning.
    std::vector<int> rank(const FeatureSet& probe, std::size_t count) const;

private:
    struct Entry {
        int id = 0;
        std::uint32_t edges = 0;  // pre-filter edges, for the normalisation of votes
        bool alive = false;
        MatchTemplate prepared;   // empty once the entry is dead
    };
    struct Edge {
        std::uint32_t key;
        std::uint8_t direction;  // 1/256 turn
        // Fractions within the bins, for the probe's look-up of neighbouring bins.
        float lengthFraction, fromFraction, toFraction;
    };
    struct Ranked {
        float votes;
        std::uint32_t slot;
    };

    std::vector<Edge> edgesOf(const FeatureSet& features) const;
    std::vector<Ranked> preFilter(const FeatureSet& probe, std::size_t count) const;
    void compact();
    std::size_t keyCount() const;

    IndexParams m_params;
    std::shared_ptr<const IndexScorer> m_scorer;
    std::vector<Entry> m_entries;  // by slot
    std::vector<std::vector<std::uint32_t>> m_postings;  // by edge key: slot << 8 | direction
    std::unordered_map<int, std::uint32_t> m_slotOf;
    std::size_t m_dead = 0;
};

}  // namespace lumo::engine
