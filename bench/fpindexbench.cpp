// fpindexbench: speed, memory and accuracy of the 1:N index (engine/match/Index.h) on synthetic
// feature sets (engine/synth/SyntheticFeatures.h).
//
//   fpindexbench [--gallery N] [--probes P] [--candidates C] [--threads T] [--seed S] [--list 1]
//
// Enrols the first press of N fingers, then identifies a second press of P enrolled fingers
// and one press of P fingers that were never enrolled, at the default threshold. Prints the
// time to enrol, the memory held (as the index counts it, and the growth of the process's
// resident memory while enrolling), identification time (median, mean, 95th percentile) and
// the pre-filter's part of it, how often the pre-filter kept the right finger among its
// candidates, the identification rate, and the false identification rate of the unknown
// fingers. --list 1 also prints every probe's answer (id and score), so that two builds can be
// compared answer by answer.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "engine/match/Index.h"
#include "engine/match/Matcher.h"
#include "engine/synth/SyntheticFeatures.h"

using namespace lumo::engine;
using synth::SyntheticFeatures;
using Clock = std::chrono::steady_clock;

namespace {

double seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

// Resident memory of this process in bytes (Linux), 0 when unknown.
double residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    double total = 0, resident = 0;
    if (!(statm >> total >> resident)) return 0;
    return resident * 4096.0;
}

}  // namespace

int main(int argc, char** argv)
{
    int gallery = 100000, probes = 50;
    bool list = false;
    std::uint64_t seed = 1;
    IndexParams params;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        const long v = std::strtol(argv[i + 1], nullptr, 10);
        if (a == "--gallery") gallery = static_cast<int>(v);
        else if (a == "--probes") probes = static_cast<int>(v);
        else if (a == "--candidates") params.candidates = static_cast<int>(v);
        else if (a == "--threads") params.threads = static_cast<int>(v);
        else if (a == "--seed") seed = static_cast<std::uint64_t>(v);
        else if (a == "--list") list = v != 0;
        else {
            std::fprintf(stderr, "usage: fpindexbench [--gallery N] [--probes P] [--candidates C] [--threads T] [--seed S] [--list 1]\n");
            return 2;
        }
    }
    if (gallery < 1 || probes < 1) return 2;
    auto fingerSeed = [&](int f) { return seed * 1000003ull + static_cast<std::uint64_t>(f); };

    Index index(params);
    const double residentBefore = residentBytes();
    const auto t0 = Clock::now();
    double addTime = 0;
    std::size_t minutiae = 0;
    for (int f = 0; f < gallery; ++f) {
        const FeatureSet enrol = SyntheticFeatures::impression(SyntheticFeatures::finger(fingerSeed(f)), 1);
        const auto a = Clock::now();
        index.add(f, enrol);
        minutiae += enrol.minutiae.size();
        addTime += seconds(a, Clock::now());
    }
    const double resident = residentBytes() - residentBefore;
    std::printf("gallery %d prints: enrol %.1f us each (%.1f s with synthesis), memory %.1f MB (%.0f bytes a print), "
                "resident growth %.1f MB (%.0f bytes a print); %.1f minutiae a print\n",
                gallery, 1e6 * addTime / gallery, seconds(t0, Clock::now()), index.memoryBytes() / 1e6,
                static_cast<double>(index.memoryBytes()) / gallery, resident / 1e6, resident / gallery,
                static_cast<double>(minutiae) / gallery);

    std::vector<double> times, rankTimes;
    int hits = 0, kept = 0, falseHits = 0;
    for (int i = 0; i < probes; ++i) {
        const int f = static_cast<int>((static_cast<long long>(i) * 7919) % gallery);
        const FeatureSet probe = SyntheticFeatures::impression(SyntheticFeatures::finger(fingerSeed(f)), 2);
        const auto r0 = Clock::now();
        const std::vector<int> ranked = index.rank(probe, static_cast<std::size_t>(params.candidates));
        rankTimes.push_back(seconds(r0, Clock::now()));
        kept += std::find(ranked.begin(), ranked.end(), f) != ranked.end();
        const auto a = Clock::now();
        const IdentifyResult r = index.identify(probe, kDefaultMatchThreshold);
        times.push_back(seconds(a, Clock::now()));
        hits += r.id == f;
        if (list) std::printf("probe %d (finger %d): id %d score %.4f compared %d\n", i, f, r.id, r.score, r.compared);

        const FeatureSet unknown = SyntheticFeatures::impression(SyntheticFeatures::finger(fingerSeed(gallery + 1 + i)), 2);
        const auto b = Clock::now();
        const IdentifyResult u = index.identify(unknown, kDefaultMatchThreshold);
        times.push_back(seconds(b, Clock::now()));
        falseHits += u.id >= 0;
        if (list) std::printf("unknown %d: id %d score %.4f compared %d\n", i, u.id, u.score, u.compared);
    }
    std::sort(times.begin(), times.end());
    std::sort(rankTimes.begin(), rankTimes.end());
    double mean = 0;
    for (double t : times) mean += t;
    mean /= static_cast<double>(times.size());
    std::printf("identify (%d threads, %d candidates): median %.1f ms, mean %.1f ms, p95 %.1f ms\n", params.threads,
                params.candidates, 1e3 * times[times.size() / 2], 1e3 * mean, 1e3 * times[times.size() * 95 / 100]);
    std::printf("pre-filter alone: median %.1f ms\n", 1e3 * rankTimes[rankTimes.size() / 2]);
    std::printf("pre-filter kept the right finger: %d/%d; identified: %d/%d; unknown fingers matched: %d/%d\n", kept,
                probes, hits, probes, falseHits, probes);
    return 0;
}
