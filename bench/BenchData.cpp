#include "BenchData.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <regex>
#include <stdexcept>

#include "engine/extract/Extractor.h"
#include "engine/extract/ImageQuality.h"
#include "engine/image/ImageError.h"
#include "engine/image/ImageLoader.h"

namespace lumo::bench {

std::vector<Impression> loadFolder(const std::string& dir, int dpi, bool verbose) {
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
            const auto start = std::chrono::steady_clock::now();
            imp.features = engine::extract(image);
            imp.extractMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
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
