#include "engine/match/Index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <set>
#include <thread>

#include "engine/match/Matcher.h"
#include "engine/synth/SyntheticFeatures.h"

namespace lumo::engine {
namespace {

using synth::SyntheticFeatures;

// Gallery print of finger f and further presses of it, as the engine would enrol and probe.
// The image size carries the finger's number (the pre-filter never looks at it), so that the
// oracle scorer below knows the truth and the tests check the index's own work: voting,
// ranking, removal and selection, independent of the matcher's calibration.
FeatureSet tagged(FeatureSet f, int finger)
{
    f.width = 1000 + finger % 1000;
    f.height = 1000 + finger / 1000;
    return f;
}
FeatureSet enrolled(int finger)
{
    return tagged(SyntheticFeatures::impression(SyntheticFeatures::finger(1000 + finger), 1), finger);
}
FeatureSet probeOf(int finger, int press = 2)
{
    return tagged(SyntheticFeatures::impression(SyntheticFeatures::finger(1000 + finger), static_cast<std::uint64_t>(press)),
                  finger);
}

class OracleScorer : public IndexScorer {
public:
    MatchTemplate prepare(const FeatureSet& stored) const override { return MatchTemplate(stored); }
    std::unique_ptr<Session> begin(const FeatureSet& probe) const override { return std::make_unique<OracleSession>(probe); }

private:
    class OracleSession : public Session {
    public:
        explicit OracleSession(const FeatureSet& probe) : m_probe(probe) {}
        float score(const MatchTemplate& c) override
        {
            return c.features().width == m_probe.width && c.features().height == m_probe.height ? 100.0f : 1.0f;
        }

    private:
        FeatureSet m_probe;
    };
};

Index makeIndex(IndexParams params = {}) { return Index(params, std::make_shared<OracleScorer>()); }

class IndexWithGallery : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_index = new Index(IndexParams{}, std::make_shared<OracleScorer>());
        for (int f = 0; f < kFingers; ++f) s_index->add(f, enrolled(f));
    }
    static void TearDownTestSuite()
    {
        delete s_index;
        s_index = nullptr;
    }
    static constexpr int kFingers = 1000;
    static Index* s_index;
};
Index* IndexWithGallery::s_index = nullptr;

TEST(Index, EmptyIndexFindsNothing)
{
    Index index;
    const IdentifyResult r = index.identify(probeOf(1), kDefaultMatchThreshold);
    EXPECT_EQ(r.id, -1);
    EXPECT_EQ(r.compared, 0);
    EXPECT_EQ(index.size(), 0u);
    EXPECT_FALSE(index.remove(3));
}

TEST_F(IndexWithGallery, FindsTheRightFingerAmongAThousand)
{
    ASSERT_EQ(s_index->size(), static_cast<std::size_t>(kFingers));
    int found = 0;
    for (int f = 3; f < kFingers; f += 50) {
        SCOPED_TRACE(f);
        const IdentifyResult r = s_index->identify(probeOf(f), kDefaultMatchThreshold);
        EXPECT_EQ(r.compared, IndexParams{}.candidates);
        EXPECT_TRUE(r.id == f || r.id == -1) << "matched finger " << r.id;
        found += r.id == f;
    }
    // The pre-filter must bring the right finger into the candidates for nearly every press.
    EXPECT_GE(found, 19);
}

TEST_F(IndexWithGallery, PreFilterRanksTheRightFingerHigh)
{
    int top = 0;
    for (int f = 0; f < 1000; f += 50) {
        const std::vector<int> ranked = s_index->rank(probeOf(f, 3), 50);
        top += std::find(ranked.begin(), ranked.end(), f) != ranked.end();
    }
    EXPECT_GE(top, 19);
}

TEST_F(IndexWithGallery, UnknownFingersAreNotMatched)
{
    for (int f = 5000; f < 5005; ++f) {
        SCOPED_TRACE(f);
        const IdentifyResult r = s_index->identify(probeOf(f), kDefaultMatchThreshold);
        EXPECT_EQ(r.id, -1);
        EXPECT_LT(r.score, kDefaultMatchThreshold);
    }
}

// The engine's own matcher behind the index finds genuine presses among a thousand prints.
TEST(Index, WithTheEngineMatcherFindsGenuinePresses)
{
    IndexParams params;
    params.candidates = 100;
    Index index(params);
    for (int f = 0; f < 1000; ++f) index.add(f, SyntheticFeatures::impression(SyntheticFeatures::finger(1000 + f), 1));
    int found = 0;
    for (int f = 11; f < 1000; f += 200) {
        const IdentifyResult r = index.identify(SyntheticFeatures::impression(SyntheticFeatures::finger(1000 + f), 2),
                                                kDefaultMatchThreshold);
        found += r.id == f;
    }
    EXPECT_GE(found, 4);
}

TEST(Index, RemovedIdIsNeverReturned)
{
    Index index = makeIndex();
    for (int f = 0; f < 100; ++f) index.add(f, enrolled(f));
    ASSERT_EQ(index.identify(probeOf(42), kDefaultMatchThreshold).id, 42);
    EXPECT_TRUE(index.remove(42));
    EXPECT_FALSE(index.remove(42));
    EXPECT_FALSE(index.contains(42));
    EXPECT_EQ(index.size(), 99u);
    for (int press = 2; press <= 4; ++press) EXPECT_NE(index.identify(probeOf(42, press), 0.0f).id, 42);
    // The same print under a new id is found under that id only.
    index.add(4200, enrolled(42));
    EXPECT_EQ(index.size(), 100u);
    EXPECT_EQ(index.identify(probeOf(42), kDefaultMatchThreshold).id, 4200);
}

TEST(Index, AddingAnExistingIdReplacesIt)
{
    Index index = makeIndex();
    EXPECT_FALSE(index.add(7, enrolled(1)));
    EXPECT_TRUE(index.add(7, enrolled(2)));
    EXPECT_EQ(index.size(), 1u);
    EXPECT_EQ(index.identify(probeOf(2), kDefaultMatchThreshold).id, 7);
    EXPECT_EQ(index.identify(probeOf(1), kDefaultMatchThreshold).id, -1);
}

TEST(Index, ManyRemovalsKeepTheRestFindable)
{
    Index index = makeIndex();
    for (int f = 0; f < 2400; ++f) index.add(f, enrolled(f));
    for (int f = 0; f < 2400; ++f)
        if (f % 3 != 0) index.remove(f);  // past the point where dead entries are squeezed out
    EXPECT_EQ(index.size(), 800u);
    for (int f : {0, 3, 999, 1500, 2397}) {
        SCOPED_TRACE(f);
        EXPECT_EQ(index.identify(probeOf(f), kDefaultMatchThreshold).id, f);
    }
    for (int f : {1, 2, 1501, 2398}) EXPECT_EQ(index.identify(probeOf(f), kDefaultMatchThreshold).id, -1);
}

TEST(Index, RejectsFeatureSetsItCannotHold)
{
    Index index;
    FeatureSet f = enrolled(1);
    f.minutiae[0].x = -3;
    EXPECT_THROW(index.add(1, f), IndexError);
    f = enrolled(1);
    f.minutiae[0].angle = std::numeric_limits<float>::quiet_NaN();
    EXPECT_THROW(index.add(1, f), IndexError);
    EXPECT_EQ(index.size(), 0u);
}

// A scorer that knows the answer: the candidate whose first minutia sits at x = 200 scores
// 50, all others 1. Counts its sessions and the threads they ran on.
class ScriptedScorer : public IndexScorer {
public:
    class ScriptedSession : public Session {
    public:
        explicit ScriptedSession(const ScriptedScorer& owner) : m_owner(owner) {}
        float score(const MatchTemplate& c) override
        {
            ++m_owner.scored;
            const std::vector<Minutia>& m = c.features().minutiae;
            return !m.empty() && m[0].x == 200 ? 50.0f : 1.0f;
        }

    private:
        const ScriptedScorer& m_owner;
    };
    MatchTemplate prepare(const FeatureSet& stored) const override
    {
        ++prepared;
        return MatchTemplate(stored);
    }
    std::unique_ptr<Session> begin(const FeatureSet&) const override
    {
        std::lock_guard lock(m_lock);
        ++sessions;
        threads.insert(std::this_thread::get_id());
        return std::make_unique<ScriptedSession>(*this);
    }
    mutable std::mutex m_lock;
    mutable int sessions = 0;
    mutable std::set<std::thread::id> threads;
    mutable std::atomic<int> scored{0};
    mutable int prepared = 0;
};

TEST(Index, BestScoreAboveTheThresholdWinsOnTwoThreads)
{
    auto scorer = std::make_shared<ScriptedScorer>();
    IndexParams params;
    params.candidates = 40;
    Index index(params, scorer);
    const FeatureSet probe = SyntheticFeatures::finger(3);
    for (int i = 0; i < 60; ++i) {
        FeatureSet f = probe;  // same edges: every entry gets votes
        f.minutiae[0].x = i == 33 ? 200 : 100;
        index.add(i, f);
    }
    EXPECT_EQ(scorer->prepared, 60);
    const IdentifyResult r = index.identify(probe, 10.0f);
    EXPECT_EQ(r.compared, 40);
    EXPECT_EQ(scorer->scored, 40);
    // Stored prints are prepared when they are added, never again for a probe.
    EXPECT_EQ(scorer->prepared, 60);
    EXPECT_EQ(scorer->sessions, 2);
    EXPECT_EQ(scorer->threads.size(), 2u);
    // Entry 33 is among the candidates when it ties with the rest, since the ranking breaks
    // ties by age and 33 < 40.
    EXPECT_EQ(r.id, 33);
    EXPECT_EQ(r.score, 50.0f);
    const IdentifyResult high = index.identify(probe, 60.0f);
    EXPECT_EQ(high.id, -1);
    EXPECT_EQ(high.score, 50.0f);
}

// The index's answer is exactly the matcher's: the best 1:1 score over the candidates the
// pre-filter ranks, the first of them on a tie, on one thread as on two, for genuine presses and
// unknown fingers, also after prints were replaced and removed (their prepared templates must
// follow the ids).
TEST(Index, AnswersExactlyAsTheMatcherOverItsCandidates)
{
    constexpr int kFingers = 300;
    std::vector<FeatureSet> gallery;
    for (int f = 0; f < kFingers; ++f) gallery.push_back(SyntheticFeatures::impression(SyntheticFeatures::finger(7000 + f), 1));
    IndexParams one, two;
    one.threads = 1;
    one.candidates = two.candidates = 60;
    Index single(one), pair(two);
    for (Index* index : {&single, &pair}) {
        for (int f = 0; f < kFingers; ++f) index->add(f, gallery[static_cast<std::size_t>(f)]);
        // Ids 0..9 swap their prints, 290..299 leave.
        for (int f = 0; f < 10; ++f) index->add(f, gallery[static_cast<std::size_t>(9 - f)]);
        for (int f = 290; f < kFingers; ++f) index->remove(f);
    }
    auto storedOf = [&](int id) -> const FeatureSet& { return gallery[static_cast<std::size_t>(id < 10 ? 9 - id : id)]; };

    struct Case {
        std::uint64_t fingerSeed;
        int expected;  // id of the genuine print, -1 for a finger that is not stored
    };
    const Case cases[] = {{7000 + 3, 6}, {7000 + 42, 42}, {7000 + 123, 123}, {7000 + 289, 289},
                          {7000 + 295, -1}, {9100, -1}, {9101, -1}};
    // Both sides of the threshold occur: genuine prints scoring best but too low are refused.
    int genuineBest = 0, genuineAccepted = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fingerSeed);
        const FeatureSet probe = SyntheticFeatures::impression(SyntheticFeatures::finger(c.fingerSeed), 2);
        const std::vector<int> ranked = pair.rank(probe, static_cast<std::size_t>(two.candidates));
        ASSERT_EQ(single.rank(probe, static_cast<std::size_t>(one.candidates)), ranked);
        Matcher matcher{MatchTemplate(probe)};
        int bestId = -1;
        float best = 0;
        for (int id : ranked) {
            const float s = matcher.match(MatchTemplate(storedOf(id)));
            if (bestId < 0 || s > best) {
                best = s;
                bestId = id;
            }
        }
        for (const Index* index : {&single, &pair}) {
            const IdentifyResult r = index->identify(probe, kDefaultMatchThreshold);
            EXPECT_EQ(r.compared, static_cast<int>(ranked.size()));
            EXPECT_EQ(r.score, best);
            EXPECT_EQ(r.id, best >= kDefaultMatchThreshold ? bestId : -1);
            EXPECT_NE(r.id, 295);
        }
        // An unknown finger's best score is a chance one.
        if (c.expected < 0) {
            EXPECT_LT(best, kDefaultMatchThreshold);
        }
        if (c.expected >= 0 && bestId == c.expected) {
            ++genuineBest;
            genuineAccepted += best >= kDefaultMatchThreshold;
        }
    }
    EXPECT_GE(genuineBest, 3);
    EXPECT_GE(genuineAccepted, 1);
    EXPECT_LT(genuineAccepted, genuineBest);
}

// Removing or replacing a print gives its prepared template back at once (the pre-filter's
// postings of dead entries wait for the next compaction, and they are small).
TEST(Index, RemovedAndReplacedPrintsReleaseTheirPreparedTemplates)
{
    Index distinct, replaced;
    // What an empty index holds (the heads of its posting lists).
    const std::size_t empty = distinct.memoryBytes();
    for (int f = 0; f < 100; ++f) {
        distinct.add(f, enrolled(f));
        replaced.add(1, enrolled(f));
    }
    const std::size_t full = distinct.memoryBytes() - empty;
    EXPECT_LT(replaced.memoryBytes() - empty, full * 35 / 100);
    for (int f = 0; f < 100; f += 2) distinct.remove(f);
    EXPECT_LT(distinct.memoryBytes() - empty, full * 75 / 100);
    distinct.clear();
    EXPECT_EQ(distinct.memoryBytes(), empty);
}

}  // namespace
}  // namespace lumo::engine
