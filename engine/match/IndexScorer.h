// IndexScorer: how the 1:N index compares a probe with its best candidates in full.
//
// prepare() is called once for every print the index stores, when it is added; the index keeps
// the prepared template until the print is removed or replaced and hands it to the sessions.
// begin() is called once per probe and per worker thread, and the session it returns scores
// candidates on that thread only; the scorer itself must allow begin() from several threads
// at once, and prepared templates are read by several sessions at once. Scores use the
// matcher's scale (Matcher.h: the default threshold 10 is a false match rate near 1 in
// 10,000). IndexMatcherScorer is the engine's scorer; tests may plug in their own.
#pragma once

#include <memory>

#include "engine/match/MatchTemplate.h"
#include "engine/template/FeatureSet.h"

namespace lumo::engine {

class IndexScorer {
public:
    class Session {
    public:
        virtual ~Session() = default;
        virtual float score(const MatchTemplate& candidate) = 0;
    };

    virtual ~IndexScorer() = default;
    virtual MatchTemplate prepare(const FeatureSet& stored) const = 0;
    virtual std::unique_ptr<Session> begin(const FeatureSet& probe) const = 0;
};

}  // namespace lumo::engine
