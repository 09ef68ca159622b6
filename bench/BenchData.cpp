#include "BenchData.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <regex>
#include <stdexcept>

#include "engine/extract/Extractor.h"
#include "engine/extract/ImageQuality.h"
#include "engine/image/ImageError.h"
#include "engine/image/ImageLoader.h"

namespace lumo::bench {

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

std::vector<Impression> loadFolder(const std::string& dir, int dpi, bool verbose, const engine::ExtractParams& params) {
    const std::regex pattern(R"((\d+)_(\d+)\.(tif|tiff|png|bmp|jpg|jpeg|pgm))", std::regex::icase);
    std::vector<Impression> out;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        std::smatch m;
        if (!entry.is_regular_file() || !std::regex_match(name, m, pattern)) continue;
        Impression imp;
        imp.name = name;
        imp.finger = std::stoi(m[1]);
        imp.impression = std::stoi(m[2]);
        try {
            const engine::GrayImage image = engine::loadImage(entry.path().string(), dpi);
            const double start = threadCpuMs();
            imp.features = engine::extract(image, params);
            imp.extractMs = threadCpuMs() - start;
        } catch (const engine::ImageError& e) {
            std::cerr << "fpbench: " << e.what() << "\n";
            imp.failed = true;
        }
        if (verbose)
            std::cerr << name << ": " << imp.features.minutiae.size() << " minutiae, quality "
                      << imp.features.quality << " ("
                      << engine::describe(static_cast<engine::ImageQuality>(imp.features.quality)) << "), "
                      << imp.extractMs << " ms\n";
        out.push_back(std::move(imp));
    }
    if (out.empty()) throw std::runtime_error("no FINGER_IMPRESSION images in " + dir);
    std::sort(out.begin(), out.end(), [](const Impression& a, const Impression& b) {
        return a.finger != b.finger ? a.finger < b.finger : a.impression < b.impression;
    });
    return out;
}

}  // namespace lumo::bench
