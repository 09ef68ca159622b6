#include "engine/match/Index.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <numbers>
#include <thread>

#include "engine/match/IndexMatcherScorer.h"

namespace lumo::engine {

namespace {

constexpr double kTurn = 2 * std::numbers::pi;
// Slots live in the top 24 bits of a posting.
constexpr std::size_t kMaxSlots = std::size_t{1} << 24;

double wrapTurn(double a)
{
    a = std::fmod(a, kTurn);
    return a < 0 ? a + kTurn : a;
}

// Runs fn(worker) on `threads` threads (the caller's among them) and rethrows the first
// exception any of them raised.
template <typename Fn>
void runOnThreads(int threads, Fn&& fn)
{
    std::exception_ptr failure;
    std::atomic<bool> failed{false};
    auto guarded = [&](int worker) {
        try {
            fn(worker);
        } catch (...) {
            if (!failed.exchange(true)) failure = std::current_exception();
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t) pool.emplace_back(guarded, t);
    guarded(0);
    for (std::thread& t : pool) t.join();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace

Index::Index(const IndexParams& params, std::shared_ptr<const IndexScorer> scorer)
    : m_params(params), m_scorer(std::move(scorer))
{
    m_params.neighbours = std::max(1, m_params.neighbours);
    m_params.angleBins = std::clamp(m_params.angleBins, 1, 64);
    m_params.rotationBins = std::clamp(m_params.rotationBins, 1, 64);
    m_params.lengthStep = std::max(1.0f, m_params.lengthStep);
    m_params.candidates = std::max(1, m_params.candidates);
    m_params.threads = std::clamp(m_params.threads, 1, 16);
    if (!m_scorer) m_scorer = std::make_shared<IndexMatcherScorer>();
    m_postings.resize(keyCount());
}

Index::~Index() = default;

std::size_t Index::keyCount() const
{
    const auto lengths = static_cast<std::size_t>(m_params.maxEdgeLength / m_params.lengthStep) + 1;
    const auto a = static_cast<std::size_t>(m_params.angleBins);
    return lengths * a * a * 4;
}

std::vector<Index::Edge> Index::edgesOf(const FeatureSet& f) const
{
    const std::size_t n = f.minutiae.size();
    const int lengthBins = static_cast<int>(m_params.maxEdgeLength / m_params.lengthStep) + 1;
    const int A = m_params.angleBins;
    std::vector<Edge> edges;
    edges.reserve(n * static_cast<std::size_t>(m_params.neighbours));
    std::vector<std::pair<float, std::size_t>> near;
    for (std::size_t i = 0; i < n; ++i) {
        const Minutia& a = f.minutiae[i];
        near.clear();
        for (std::size_t j = 0; j < n; ++j) {
            if (j == i) continue;
            const float d = std::hypot(static_cast<float>(f.minutiae[j].x - a.x), static_cast<float>(f.minutiae[j].y - a.y));
            if (d >= m_params.minEdgeLength && d <= m_params.maxEdgeLength) near.emplace_back(d, j);
        }
        const std::size_t k = std::min(near.size(), static_cast<std::size_t>(m_params.neighbours));
        std::partial_sort(near.begin(), near.begin() + static_cast<std::ptrdiff_t>(k), near.end());
        for (std::size_t e = 0; e < k; ++e) {
            const Minutia& b = f.minutiae[near[e].second];
            // Minutia angles have y up; so does this direction.
            const double direction = wrapTurn(std::atan2(-(b.y - a.y), static_cast<double>(b.x - a.x)));
            const double from = wrapTurn(a.angle - direction) / kTurn * A;
            const double to = wrapTurn(b.angle - direction) / kTurn * A;
            const double length = near[e].first / m_params.lengthStep;
            const int li = std::min(static_cast<int>(length), lengthBins - 1);
            const int fi = std::min(static_cast<int>(from), A - 1);
            const int ti = std::min(static_cast<int>(to), A - 1);
            const int types = (a.type == MinutiaType::Bifurcation ? 2 : 0) + (b.type == MinutiaType::Bifurcation ? 1 : 0);
            Edge edge;
            edge.key = static_cast<std::uint32_t>(((li * A + fi) * A + ti) * 4 + types);
            edge.direction = static_cast<std::uint8_t>(static_cast<int>(std::lround(direction / kTurn * 256)) & 255);
            edge.lengthFraction = static_cast<float>(length - li);
            edge.fromFraction = static_cast<float>(from - fi);
            edge.toFraction = static_cast<float>(to - ti);
            edges.push_back(edge);
        }
    }
    return edges;
}

bool Index::add(int id, const FeatureSet& features)
{
    if (features.minutiae.size() > 0xFFFF)
        throw IndexError("The fingerprint has too many minutiae for the identification cache.");
    if (features.width < 0 || features.width > 0xFFFF || features.height < 0 || features.height > 0xFFFF)
        throw IndexError("The fingerprint's image size is out of range for the identification cache.");
    for (const Minutia& m : features.minutiae)
        if (m.x < 0 || m.y < 0 || m.x > 0xFFFF || m.y > 0xFFFF || !std::isfinite(m.angle))
            throw IndexError("The fingerprint holds a minutia the identification cache cannot store.");
    if (m_entries.size() >= kMaxSlots) compact();
    if (m_entries.size() >= kMaxSlots) throw IndexError("The identification cache is full.");

    const std::vector<Edge> edges = edgesOf(features);
    Entry e;
    e.id = id;
    e.edges = static_cast<std::uint32_t>(edges.size());
    // Copied rather than moved: a copy's buffers hold no spare capacity, which the template's
    // growing edge list otherwise leaves behind (a good part of its memory).
    const MatchTemplate prepared = m_scorer->prepare(features);
    e.prepared = prepared;

    // The new slot counts as dead until it is complete, so running out of memory on the way
    // leaves the old entry in place and only a dead slot behind.
    const auto slot = static_cast<std::uint32_t>(m_entries.size());
    m_entries.push_back(std::move(e));
    ++m_dead;
    for (const Edge& edge : edges) m_postings[edge.key].push_back(slot << 8 | edge.direction);
    const auto [it, added] = m_slotOf.try_emplace(id, slot);
    if (!added) {
        Entry& old = m_entries[it->second];
        old.alive = false;
        old.prepared = MatchTemplate();
        it->second = slot;
    } else {
        --m_dead;
    }
    m_entries[slot].alive = true;
    if (m_dead > 1024 && m_dead > m_slotOf.size()) compact();
    return !added;
}

bool Index::remove(int id)
{
    const auto it = m_slotOf.find(id);
    if (it == m_slotOf.end()) return false;
    Entry& e = m_entries[it->second];
    e.alive = false;
    e.prepared = MatchTemplate();
    m_slotOf.erase(it);
    ++m_dead;
    // Dead slots cost votes and memory; squeeze them out once they outnumber the living.
    if (m_dead > 1024 && m_dead > m_slotOf.size()) compact();
    return true;
}

void Index::clear()
{
    std::vector<Entry>().swap(m_entries);
    m_slotOf.clear();
    for (auto& list : m_postings) std::vector<std::uint32_t>().swap(list);
    m_dead = 0;
}

void Index::compact()
{
    if (m_dead == 0) return;
    std::vector<std::uint32_t> newSlot(m_entries.size(), UINT32_MAX);
    std::vector<Entry> entries;
    entries.reserve(m_slotOf.size());
    for (std::size_t s = 0; s < m_entries.size(); ++s) {
        if (!m_entries[s].alive) continue;
        newSlot[s] = static_cast<std::uint32_t>(entries.size());
        entries.push_back(std::move(m_entries[s]));
    }
    // The map is monotone, so every list stays sorted by slot.
    for (auto& list : m_postings) {
        std::size_t out = 0;
        for (std::uint32_t p : list) {
            const std::uint32_t s = newSlot[p >> 8];
            if (s != UINT32_MAX) list[out++] = s << 8 | (p & 0xFF);
        }
        list.resize(out);
        list.shrink_to_fit();
    }
    for (auto& [id, slot] : m_slotOf) slot = newSlot[slot];
    m_entries = std::move(entries);
    m_dead = 0;
}

std::vector<Index::Ranked> Index::preFilter(const FeatureSet& probe, std::size_t count) const
{
    const std::size_t slots = m_entries.size();
    if (slots == 0 || count == 0) return {};
    const std::vector<Edge> edges = edgesOf(probe);
    const int A = m_params.angleBins;
    const int R = m_params.rotationBins;
    const int lengthBins = static_cast<int>(m_params.maxEdgeLength / m_params.lengthStep) + 1;

    // Cells each probe edge looks into: its own bin and the nearer neighbour in each measure.
    std::vector<std::pair<std::uint32_t, std::uint8_t>> cells;
    cells.reserve(edges.size() * 8);
    for (const Edge& e : edges) {
        const int types = static_cast<int>(e.key % 4);
        int rest = static_cast<int>(e.key / 4);
        const int ti = rest % A;
        rest /= A;
        const int fi = rest % A;
        const int li = rest / A;
        const int ls[2] = {li, e.lengthFraction < 0.5f ? li - 1 : li + 1};
        const int fs[2] = {fi, e.fromFraction < 0.5f ? (fi + A - 1) % A : (fi + 1) % A};
        const int ts[2] = {ti, e.toFraction < 0.5f ? (ti + A - 1) % A : (ti + 1) % A};
        for (int l : ls) {
            if (l < 0 || l >= lengthBins) continue;
            for (int f : fs)
                for (int t : ts) {
                    if (A == 1 && (f != fi || t != ti)) continue;
                    cells.emplace_back(static_cast<std::uint32_t>(((l * A + f) * A + t) * 4 + types), e.direction);
                }
        }
    }

    std::vector<std::uint16_t> votes(slots * static_cast<std::size_t>(R), 0);
    const int threads = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(m_params.threads), std::max<std::size_t>(1, slots / 2048)));
    std::vector<std::vector<Ranked>> best(static_cast<std::size_t>(threads));
    runOnThreads(threads, [&](int worker) {
        // Each worker owns a range of slots; the lists are sorted by slot, so it finds its part
        // of every list by binary search and writes only its own votes.
        const std::size_t lo = slots * static_cast<std::size_t>(worker) / static_cast<std::size_t>(threads);
        const std::size_t hi = slots * static_cast<std::size_t>(worker + 1) / static_cast<std::size_t>(threads);
        for (const auto& [key, direction] : cells) {
            const std::vector<std::uint32_t>& list = m_postings[key];
            auto it = std::lower_bound(list.begin(), list.end(), static_cast<std::uint32_t>(lo << 8));
            const auto end = hi >= slots ? list.end() : std::lower_bound(it, list.end(), static_cast<std::uint32_t>(hi << 8));
            for (; it != end; ++it) {
                const std::uint32_t p = *it;
                const int turn = (direction - static_cast<int>(p & 0xFF)) & 0xFF;
                std::uint16_t& v = votes[(p >> 8) * static_cast<std::size_t>(R) + static_cast<std::size_t>(turn * R >> 8)];
                if (v < UINT16_MAX) ++v;
            }
        }
        std::vector<Ranked>& mine = best[static_cast<std::size_t>(worker)];
        for (std::size_t s = lo; s < hi; ++s) {
            const Entry& e = m_entries[s];
            if (!e.alive) continue;
            const std::uint16_t* v = votes.data() + s * static_cast<std::size_t>(R);
            int top = 0;
            for (int r = 0; r < R; ++r) top = std::max(top, v[r] + (R > 1 ? v[(r + 1) % R] : 0));
            if (top == 0) continue;
            // Prints with many edges collect more chance votes; the square root keeps large
            // prints from crowding out small ones without favouring tiny ones.
            mine.push_back({static_cast<float>(top / std::sqrt(std::max(40.0, static_cast<double>(e.edges)))),
                            static_cast<std::uint32_t>(s)});
        }
        auto byVotes = [](const Ranked& a, const Ranked& b) { return a.votes != b.votes ? a.votes > b.votes : a.slot < b.slot; };
        if (mine.size() > count) {
            std::nth_element(mine.begin(), mine.begin() + static_cast<std::ptrdiff_t>(count), mine.end(), byVotes);
            mine.resize(count);
        }
    });
    std::vector<Ranked> all;
    for (auto& part : best) all.insert(all.end(), part.begin(), part.end());
    std::sort(all.begin(), all.end(), [](const Ranked& a, const Ranked& b) {
        return a.votes != b.votes ? a.votes > b.votes : a.slot < b.slot;
    });
    if (all.size() > count) all.resize(count);
    return all;
}

namespace {

// Heap bytes of a prepared template (its buffers; the object itself lives in the entry). Each
// buffer also costs the allocator about 16 bytes.
std::size_t heapBytes(const MatchTemplate& t)
{
    constexpr std::size_t kBlock = 16;
    std::size_t bytes = 0;
    auto add = [&](std::size_t n, std::size_t size) {
        if (n > 0) bytes += n * size + kBlock;
    };
    add(t.features().minutiae.capacity(), sizeof(Minutia));
    add(t.minutiae().capacity(), sizeof(MatchTemplate::MinutiaPoint));
    add(t.edges().capacity(), sizeof(MatchTemplate::Edge));
    if (t.size() > 0) add(t.size() + 1, sizeof(std::size_t));  // edge starts
    add(t.hull().capacity(), sizeof(MatchTemplate::Point));
    add(t.hullInverseLengths().capacity(), sizeof(float));
    return bytes;
}

}  // namespace

std::size_t Index::memoryBytes() const
{
    std::size_t bytes = m_entries.capacity() * sizeof(Entry) + m_postings.capacity() * sizeof(std::vector<std::uint32_t>);
    for (const Entry& e : m_entries) bytes += heapBytes(e.prepared);
    for (const auto& list : m_postings) bytes += list.capacity() * sizeof(std::uint32_t);
    // Hash map nodes: key, value and about two pointers each.
    bytes += m_slotOf.size() * (sizeof(int) + sizeof(std::uint32_t) + 2 * sizeof(void*));
    return bytes;
}

std::vector<int> Index::rank(const FeatureSet& probe, std::size_t count) const
{
    std::vector<int> ids;
    for (const Ranked& r : preFilter(probe, count)) ids.push_back(m_entries[r.slot].id);
    return ids;
}

IdentifyResult Index::identify(const FeatureSet& probe, float threshold) const
{
    IdentifyResult result;
    if (m_slotOf.empty() || probe.minutiae.empty()) return result;
    const std::vector<Ranked> ranked = preFilter(probe, static_cast<std::size_t>(m_params.candidates));
    std::vector<float> scores(ranked.size(), 0.0f);
    std::atomic<std::size_t> next{0};
    const int threads = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(m_params.threads), std::max<std::size_t>(1, ranked.size() / 8)));
    runOnThreads(threads, [&](int) {
        const std::unique_ptr<IndexScorer::Session> session = m_scorer->begin(probe);
        for (std::size_t i = next++; i < ranked.size(); i = next++)
            scores[i] = session->score(m_entries[ranked[i].slot].prepared);
    });
    result.compared = static_cast<int>(ranked.size());
    std::size_t bestIndex = 0;
    for (std::size_t i = 0; i < scores.size(); ++i)
        if (scores[i] > scores[bestIndex]) bestIndex = i;
    if (!scores.empty()) {
        result.score = scores[bestIndex];
        if (result.score >= threshold) result.id = m_entries[ranked[bestIndex].slot].id;
    }
    return result;
}

}  // namespace lumo::engine
