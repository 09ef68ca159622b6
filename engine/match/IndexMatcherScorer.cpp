#include "engine/match/IndexMatcherScorer.h"

#include "engine/match/Matcher.h"

namespace lumo::engine {

namespace {

class MatcherSession : public IndexScorer::Session {
public:
    MatcherSession(const FeatureSet& probe, const MatchParams& params) : m_matcher(MatchTemplate(probe, params), params) {}
    float score(const MatchTemplate& candidate) override { return m_matcher.match(candidate); }

private:
    Matcher m_matcher;
};

}  // namespace

MatchTemplate IndexMatcherScorer::prepare(const FeatureSet& stored) const { return MatchTemplate(stored, m_params); }

std::unique_ptr<IndexScorer::Session> IndexMatcherScorer::begin(const FeatureSet& probe) const
{
    return std::make_unique<MatcherSession>(probe, m_params);
}

}  // namespace lumo::engine
