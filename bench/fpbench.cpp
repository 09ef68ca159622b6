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
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "BenchData.h"
#include "DebugImages.h"
#include "Metrics.h"
#include "Settings.h"
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
    Settings settings;  // --set NAME=VALUE, repeatable
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
            } else if (s == "--set" && i + 1 < argc) {
                applySetting(a.settings, argv[++i]);
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
    const auto images = loadFolder(dir, dpi, args.has("--verbose"), args.settings.extract);

    std::vector<engine::MatchTemplate> templates;
    std::vector<double> times, sizes, counts;
    int fte = 0;
    for (const Impression& imp : images) {
        templates.emplace_back(imp.features, args.settings.match);
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
        engine::Matcher matcher(templates[i], args.settings.match);
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
                           << templates[i].size() << ',' << templates[j].size() << ',' << m.support << ',' << m.aligned;
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
              << "extraction       " << median(times) << " ms CPU median per image\n"
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
    const auto images = loadFolder(dir, 0, false, args.settings.extract);
    std::vector<engine::MatchTemplate> templates;
    std::vector<double> times;
    for (const Impression& imp : images) {
        templates.emplace_back(imp.features, args.settings.match);
        times.push_back(imp.extractMs);
    }
    std::vector<double> rates;
    volatile double sink = 0;
    for (int run = 0; run < runs; ++run) {
        std::size_t comparisons = 0;
        const double start = threadCpuMs();
        double elapsed = 0;
        for (std::size_t i = 0; elapsed < seconds; i = (i + 1) % templates.size()) {
            engine::Matcher matcher(templates[i], args.settings.match);
            for (const auto& t : templates) sink = sink + matcher.match(t);
            comparisons += templates.size();
            elapsed = (threadCpuMs() - start) / 1000.0;
        }
        rates.push_back(comparisons / elapsed);
    }
    std::cout << "set                  " << dir << "\n"
              << "extraction           " << median(times) << " ms CPU median per image\n"
              << "1:1 comparisons/s    " << static_cast<long>(median(rates)) << " median of " << runs << " runs, one core (CPU time)\n";
    if (args.has("--gallery"))
        std::cout << "1:N identification   see fpindexbench (the index benchmark on synthetic galleries)\n";
    return 0;
}

// False match rate against score over every impostor pair of several folders (prints of
// different folders are different fingers too): the relation documented in README.md.
int calibrate(const Args& args) {
    if (args.positional.empty()) throw std::runtime_error("usage: fpbench calibrate DIR...");
    struct Print {
        std::size_t set;
        int finger;
        engine::MatchTemplate t;
    };
    std::vector<Print> prints;
    for (std::size_t d = 0; d < args.positional.size(); ++d)
        for (const Impression& imp : loadFolder(args.positional[d], 0, false, args.settings.extract))
            prints.push_back({d, imp.finger, engine::MatchTemplate(imp.features, args.settings.match)});
    std::vector<double> impostor, genuine;
    for (std::size_t i = 0; i < prints.size(); ++i) {
        engine::Matcher m(prints[i].t, args.settings.match);
        for (std::size_t j = i + 1; j < prints.size(); ++j) {
            const bool same = prints[i].set == prints[j].set && prints[i].finger == prints[j].finger;
            (same ? genuine : impostor).push_back(m.match(prints[j].t));
        }
    }
    const ErrorRates r = computeRates(genuine, impostor);
    std::cout << impostor.size() << " impostor and " << genuine.size() << " genuine pairs\n"
              << "threshold  FMR        FNMR\n";
    for (double t : {2.0, 3.0, 5.0, 7.0, 10.0, 15.0, 20.0, 30.0, 50.0}) {
        char line[96];
        std::snprintf(line, sizeof line, "%9.1f  %-9s  %s\n", t, pct(r.fmrAt(t)).c_str(), pct(r.fnmrAt(t)).c_str());
        std::cout << line;
    }
    std::cout << "highest impostor scores:";
    for (std::size_t k = 0; k < 8 && k < r.impostor.size(); ++k) std::cout << ' ' << r.impostor[r.impostor.size() - 1 - k];
    std::cout << "\n";
    return 0;
}

// CPU time of each extraction stage (time between observer calls), median over a folder.
int profile(const Args& args) {
    struct Timer : engine::ExtractObserver {
        std::vector<std::pair<std::string, double>> marks;
        void mark(const char* name) { marks.emplace_back(name, threadCpuMs()); }
        void onNormalized(const engine::FloatPlane&) override { mark("normalize"); }
        void onOrientation(const engine::OrientationField&) override { mark("orientation"); }
        void onMask(const engine::Mask&) override { mark("segment"); }
        void onPeriod(const engine::FloatPlane&) override { mark("period+distance"); }
        void onEnhanced(const engine::FloatPlane&) override { mark("enhance"); }
        void onBinary(const engine::BytePlane&) override { mark("binarize"); }
        void onSkeleton(const engine::BytePlane&) override { mark("thin"); }
        void onDetected(const std::vector<engine::DetectedMinutia>&) override { mark("detect"); }
        void onFiltered(const std::vector<engine::DetectedMinutia>&) override { mark("filter"); }
        void onFeatures(const engine::FeatureSet&) override { mark("quality"); }
    };
    std::map<std::string, std::vector<double>> stages;
    std::vector<std::string> order;
    std::vector<double> templateMs;
    for (const auto& entry : std::filesystem::directory_iterator(args.positional[0])) {
        if (!entry.is_regular_file()) continue;
        const engine::GrayImage image = engine::loadImage(entry.path().string());
        Timer t;
        const double start = threadCpuMs();
        const engine::FeatureSet f = engine::extract(image, args.settings.extract, &t);
        double last = start;
        for (const auto& [name, at] : t.marks) {
            if (!stages.count(name)) order.push_back(name);
            stages[name].push_back(at - last);
            last = at;
        }
        const double t0 = threadCpuMs();
        for (int i = 0; i < 100; ++i) engine::MatchTemplate tmpl(f);
        templateMs.push_back((threadCpuMs() - t0) / 100);
    }
    double total = 0;
    for (const auto& name : order) {
        std::cout << name << "\t" << median(stages[name]) << " ms\n";
        total += median(stages[name]);
    }
    std::cout << "sum of medians\t" << total << " ms\nMatchTemplate\t" << median(templateMs) << " ms\n";
    return 0;
}

// Details of one comparison, for looking into single errors.
int pair(const Args& args) {
    const int dpi = std::stoi(args.get("--dpi", "0"));
    engine::FeatureSet f[2];
    for (int i = 0; i < 2; ++i) f[i] = engine::extract(engine::loadImage(args.positional[static_cast<std::size_t>(i)], dpi), args.settings.extract);
    engine::Matcher matcher{engine::MatchTemplate(f[0], args.settings.match), args.settings.match};
    const engine::MatchResult r = matcher.matchDetailed(engine::MatchTemplate(f[1], args.settings.match));
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
        if (cmd == "calibrate") return calibrate(args);
        if (cmd == "profile") {
            if (args.positional.size() != 1) throw std::runtime_error("usage: fpbench profile DIR");
            return profile(args);
        }
        if (cmd == "pair") {
            if (args.positional.size() != 2) throw std::runtime_error("usage: fpbench pair IMAGE1 IMAGE2 [--dpi N]");
            return pair(args);
        }
        if (cmd == "debug") {
            if (args.positional.size() != 2) throw std::runtime_error("usage: fpbench debug IMAGE OUTDIR [--dpi N]");
            writeDebugImages(args.positional[0], args.positional[1], std::stoi(args.get("--dpi", "0")), args.settings.extract);
            return 0;
        }
        std::cerr << "fpbench: unknown command " << cmd << "\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "fpbench: " << e.what() << "\n";
        return 1;
    }
}
