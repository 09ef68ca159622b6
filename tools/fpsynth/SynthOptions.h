// Command line of fpsynth.
//
//   fpsynth --out DIR [--fingers N] [--impressions K] [--seed S] [--size WxH] [--masters]
//           [--jobs J]
//
// parseSynthOptions() throws std::invalid_argument with a message for the user.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SynthOptions {
    std::string outDir;
    int fingers = 10;
    int impressions = 8;
    std::uint64_t seed = 1;
    int width = 400;
    int height = 500;
    bool masters = false;  // also write each master print as F_master.png
    int jobs = 1;
    bool help = false;
};

SynthOptions parseSynthOptions(const std::vector<std::string>& args);
const char* synthUsage();
