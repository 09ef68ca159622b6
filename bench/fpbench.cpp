// fpbench: accuracy and speed of the fingerprint engine.
//
//   fpbench accuracy DIR [--dpi N] [--protocol a|b] [--scores FILE] [--json FILE] [--verbose]
//   fpbench speed [--dir DIR] [--seconds S] [--runs N] [--gallery N]
//   fpbench debug IMAGE OUTDIR [--dpi N]
//   fpbench pair IMAGE1 IMAGE2 [--dpi N]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "BenchData.h"
#include "DebugImages.h"
#include "Metrics.h"
#include "engine/extract/Extractor.h"
#include "engine/image/ImageLoader.h"
#include "engine/match/Matcher.h"
#include "engine/template/TemplateCodec.h"

using namespace lumo;
using namespace lumo::bench;

namespace {

struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
    bool has(const std::string& k) const { return options.count(k) != 0; }
    std::string get(const std::string& k, const std::string& def) const {
        const auto it = options.find(k);
        return it == options.end() ? def : it->second;
    }
};

Args parse(int argc, char** argv, int from) {
    Args a;
    for (int i = from; i < argc; ++i) {
        std::string s = argv[i];
        if (s.rfind("--", 0) == 0) {
            if (s == "--verbose" || s == "--details") {
                a.options[s] = "1";
            } else if (i + 1 < argc) {
                a.options[s] = argv[++i];
            } else {
                throw std::runtime_error("option " + s + " needs a value");
            }
        } else {
            a.positional.push_back(s);
        }
    }
    return a;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : 0.5 * (v[v.size() / 2 - 1] + v[v.size() / 2]);
}

std::string pct(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f %%", v * 100);
    return buf;
}

int accuracy(const Args& args) {
    if (args.positional.size() != 1) throw std::runtime_error("usage: fpbench accuracy DIR [--dpi N] [--protocol a|b] [--scores FILE]");
    const std::string dir = args.positional[0];
    const int dpi = std::stoi(args.get("--dpi", "0"));
    const std::string protocol = args.get("--protocol", "b");
    if (protocol != "a" && protocol != "b") throw std::runtime_error("--protocol must be a or b");
    const auto images = loadFolder(dir, dpi, args.has("--verbose"));

    std::vector<engine::MatchTemplate> templates;
    std::vector<double> times, sizes, counts;
    int fte = 0;
    for (const Impression& imp : images) {
        templates.emplace_back(imp.features);
        if (imp.failed || imp.features.quality != 0) ++fte;
        if (!imp.failed) {
            times.push_back(imp.extractMs);
            counts.push_back(static_cast<double>(imp.features.minutiae.size()));
            engine::Template t;
            t.features = imp.features;
            sizes.push_back(static_cast<double>(engine::TemplateCodec::encode(t).size()));
        }
    }
    std::ofstream scores;
    if (args.has("--scores")) {
        scores.open(args.get("--scores", ""));
        if (!scores) throw std::runtime_error("cannot write " + args.get("--scores", ""));
    }
    // --details adds pairs, overlap counts and minutia counts after the four standard columns.
    const bool details = args.has("--details");
    std::vector<double> genuine, impostor;
    for (std::size_t i = 0; i < images.size(); ++i) {
        engine::Matcher matcher(templates[i]);
        for (std::size_t j = i + 1; j < images.size(); ++j) {
            const bool same = images[i].finger == images[j].finger;
            if (!same) {
                const bool firstOnly = images[i].impression == 1 && images[j].impression == 1;
                if (protocol == "a" && !firstOnly) continue;
            }
            const engine::MatchResult m = matcher.matchDetailed(templates[j]);
            const double s = m.score;
            (same ? genuine : impostor).push_back(s);
            if (scores) {
                scores << images[i].name << ',' << images[j].name << ',' << s << ',' << (same ? 1 : 0);
                if (details)
                    scores << ',' << m.pairs.size() << ',' << m.probeInOverlap << ',' << m.candidateInOverlap << ','
                           << templates[i].size() << ',' << templates[j].size();
                scores << '\n';
            }
        }
    }
    const ErrorRates r = computeRates(genuine, impostor);
    const double threshold = engine::kDefaultMatchThreshold;
    std::cout << "set              " << dir << "\n"
              << "protocol         " << protocol << " (" << genuine.size() << " genuine, " << impostor.size() << " impostor)\n"
              << "EER              " << pct(r.eer) << "  [" << pct(r.eerLow) << " .. " << pct(r.eerHigh) << "]\n"
              << "FMR100           " << pct(r.fmr100) << "\n"
              << "FMR1000          " << pct(r.fmr1000) << "\n"
              << "ZeroFMR          " << pct(r.zeroFmr) << "\n"
              << "FMR  at " << threshold << "      " << pct(r.fmrAt(threshold)) << "\n"
              << "FNMR at " << threshold << "      " << pct(r.fnmrAt(threshold)) << "\n"
              << "failed to enrol  " << fte << " of " << images.size() << "\n"
              << "extraction       " << median(times) << " ms median per image\n"
              << "minutiae         " << median(counts) << " median per image\n"
              << "template         " << median(sizes) << " bytes median\n";
    std::ostringstream json;
    json << "{\"set\":\"" << dir << "\",\"protocol\":\"" << protocol << "\",\"genuine\":" << genuine.size()
         << ",\"impostor\":" << impostor.size() << ",\"eer\":" << r.eer << ",\"fmr100\":" << r.fmr100
         << ",\"fmr1000\":" << r.fmr1000 << ",\"zeroFmr\":" << r.zeroFmr << ",\"fmrAt10\":" << r.fmrAt(threshold)
         << ",\"fnmrAt10\":" << r.fnmrAt(threshold) << ",\"failedToEnrol\":" << fte
         << ",\"extractMsMedian\":" << median(times) << ",\"minutiaeMedian\":" << median(counts)
         << ",\"templateBytesMedian\":" << median(sizes) << "}";
    if (args.has("--json")) {
        std::ofstream(args.get("--json", "")) << json.str() << "\n";
    } else {
        std::cout << json.str() << "\n";
    }
    return 0;
}

int speed(const Args& args) {
    const std::string dir = args.get("--dir", std::string(LUMO_SHARED_DATA_DIR) + "/fingerprints/fvc2002_db4_b");
    const double seconds = std::stod(args.get("--seconds", "2"));
    const int runs = std::stoi(args.get("--runs", "5"));
    const auto images = loadFolder(dir, 0, false);
    std::vector<engine::MatchTemplate> templates;
    std::vector<double> times;
    for (const Impression& imp : images) {
        templates.emplace_back(imp.features);
        times.push_back(imp.extractMs);
    }
    std::vector<double> rates;
    volatile double sink = 0;
    for (int run = 0; run < runs; ++run) {
        std::size_t comparisons = 0;
        const auto start = std::chrono::steady_clock::now();
        double elapsed = 0;
        for (std::size_t i = 0; elapsed < seconds; i = (i + 1) % templates.size()) {
            engine::Matcher matcher(templates[i]);
            for (const auto& t : templates) sink = sink + matcher.match(t);
            comparisons += templates.size();
            elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
        rates.push_back(comparisons / elapsed);
    }
    std::cout << "set                  " << dir << "\n"
              << "extraction           " << median(times) << " ms median per image (first load)\n"
              << "1:1 comparisons/s    " << static_cast<long>(median(rates)) << " median of " << runs << " runs, one core\n";
    if (args.has("--gallery"))
        std::cout << "1:N identification   not measured: the 1:N index is not part of this build yet\n";
    return 0;
}

// Details of one comparison, for looking into single errors.
int pair(const Args& args) {
    const int dpi = std::stoi(args.get("--dpi", "0"));
    engine::FeatureSet f[2];
    for (int i = 0; i < 2; ++i) f[i] = engine::extract(engine::loadImage(args.positional[static_cast<std::size_t>(i)], dpi));
    engine::Matcher matcher{engine::MatchTemplate(f[0])};
    const engine::MatchResult r = matcher.matchDetailed(engine::MatchTemplate(f[1]));
    std::cout << "minutiae " << f[0].minutiae.size() << " / " << f[1].minutiae.size() << ", quality " << f[0].quality
              << " / " << f[1].quality << "\nscore " << r.score << ", " << r.pairs.size() << " pairs, overlap "
              << r.probeInOverlap << " / " << r.candidateInOverlap << ", rotation " << r.rotation * 180 / 3.14159265
              << " deg, shift " << r.dx << ", " << r.dy << "\n";
    for (const auto& [p, c] : r.pairs) {
        const auto& a = f[0].minutiae[static_cast<std::size_t>(p)];
        const auto& b = f[1].minutiae[static_cast<std::size_t>(c)];
        const auto [mx, my] = r.mapPoint(static_cast<float>(a.x), static_cast<float>(a.y));
        std::cout << "  (" << a.x << "," << a.y << ") -> (" << b.x << "," << b.y << ")  residual "
                  << std::hypot(mx - b.x, my - b.y) << "\n";
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc < 2) {
            std::cerr << "usage: fpbench accuracy DIR [--dpi N] [--protocol a|b] [--scores FILE] [--json FILE] [--verbose]\n"
                         "       fpbench speed [--dir DIR] [--seconds S] [--runs N] [--gallery N]\n"
                         "       fpbench debug IMAGE OUTDIR [--dpi N]\n";
            return 2;
        }
        const std::string cmd = argv[1];
        const Args args = parse(argc, argv, 2);
        if (cmd == "accuracy") return accuracy(args);
        if (cmd == "speed") return speed(args);
        if (cmd == "pair") {
            if (args.positional.size() != 2) throw std::runtime_error("usage: fpbench pair IMAGE1 IMAGE2 [--dpi N]");
            return pair(args);
        }
        if (cmd == "debug") {
            if (args.positional.size() != 2) throw std::runtime_error("usage: fpbench debug IMAGE OUTDIR [--dpi N]");
            writeDebugImages(args.positional[0], args.positional[1], std::stoi(args.get("--dpi", "0")));
            return 0;
        }
        std::cerr << "fpbench: unknown command " << cmd << "\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "fpbench: " << e.what() << "\n";
        return 1;
    }
}
