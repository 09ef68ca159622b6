#include "engine/match/IndexMatcherScorer.h"

#include "engine/match/Matcher.h"

namespace lumo::engine {

namespace {

class MatcherSession : public IndexScorer::Session {
public:
    MatcherSession(const FeatureSet& probe, const MatchParams& params)
        : m_params(params), m_matcher(MatchTemplate(probe, params), params)
    {
    }
    float score(const FeatureSet& candidate) override { return m_matcher.match(MatchTemplate(candidate, m_params)); }

private:
    MatchParams m_params;
    Matcher m_matcher;
};

}  // namespace

std::unique_ptr<IndexScorer::Session> IndexMatcherScorer::begin(const FeatureSet& probe) const
{
    return std::make_unique<MatcherSession>(probe, m_params);
}

}  // namespace lumo::engine
