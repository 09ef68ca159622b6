// IndexMatcherScorer: the index's full comparison through the engine's 1:1 Matcher. Stored
// prints are prepared as MatchTemplates with the scorer's parameters; each session prepares
// the probe once and scores candidates with its own Matcher. Thread rules and score scale as
// in IndexScorer.h.
#pragma once

#include "engine/match/IndexScorer.h"
#include "engine/match/MatchParams.h"

namespace lumo::engine {

class IndexMatcherScorer : public IndexScorer {
public:
    explicit IndexMatcherScorer(const MatchParams& params = {}) : m_params(params) {}
    MatchTemplate prepare(const FeatureSet& stored) const override;
    std::unique_ptr<Session> begin(const FeatureSet& probe) const override;

private:
    MatchParams m_params;
};

}  // namespace lumo::engine
