// Feature sets of the shared sample prints, extracted once per test process.
#pragma once

#include <map>
#include <string>

#include "engine/extract/Extractor.h"
#include "engine/image/ImageLoader.h"

namespace lumo::engine::testing {

inline std::string printPath(const std::string& set, const std::string& name) {
    return std::string(LUMO_SHARED_DATA_DIR) + "/fingerprints/" + set + "/" + name + ".tif";
}

inline const FeatureSet& features(const std::string& set, const std::string& name) {
    static std::map<std::string, FeatureSet> cache;
    const std::string key = set + "/" + name;
    auto it = cache.find(key);
    if (it == cache.end()) it = cache.emplace(key, extract(loadImage(printPath(set, name)))).first;
    return it->second;
}

// The image turned by quarter turns (clockwise on screen).
inline GrayImage rotated(const GrayImage& in, int quarterTurns) {
    GrayImage out = in;
    for (int t = 0; t < quarterTurns % 4; ++t) {
        GrayImage next{out.height, out.width, out.resolution, std::vector<std::uint8_t>(out.pixels.size())};
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x)
                next.pixels[static_cast<std::size_t>(x) * next.width + (out.height - 1 - y)] = out.at(x, y);
        out = std::move(next);
    }
    return out;
}

}  // namespace lumo::engine::testing
