#include "SynthOptions.h"

#include <charconv>
#include <stdexcept>

namespace {

long long toNumber(const std::string& option, const std::string& text, long long lo, long long hi)
{
    long long v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < lo || v > hi)
        throw std::invalid_argument(option + " expects a number from " + std::to_string(lo) + " to " +
                                    std::to_string(hi) + ", not \"" + text + "\"");
    return v;
}

}  // namespace

const char* synthUsage()
{
    return "usage: fpsynth --out DIR [--fingers N] [--impressions K] [--seed S] [--size WxH]\n"
           "               [--masters] [--jobs J]\n"
           "Writes FINGER_IMPRESSION.png (500 dpi grey, fingers and impressions counted from 1)\n"
           "and FINGER_IMPRESSION.json (true minutiae) into DIR. The same seed gives the same\n"
           "prints; finger F is the same whatever --fingers says.\n";
}

SynthOptions parseSynthOptions(const std::vector<std::string>& args)
{
    SynthOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw std::invalid_argument(a + " needs a value");
            return args[++i];
        };
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--out") {
            o.outDir = value();
        } else if (a == "--fingers") {
            o.fingers = static_cast<int>(toNumber(a, value(), 1, 100000));
        } else if (a == "--impressions") {
            o.impressions = static_cast<int>(toNumber(a, value(), 1, 1000));
        } else if (a == "--seed") {
            o.seed = static_cast<std::uint64_t>(toNumber(a, value(), 0, 1LL << 62));
        } else if (a == "--jobs") {
            o.jobs = static_cast<int>(toNumber(a, value(), 1, 64));
        } else if (a == "--masters") {
            o.masters = true;
        } else if (a == "--size") {
            const std::string& s = value();
            const auto x = s.find('x');
            if (x == std::string::npos) throw std::invalid_argument("--size expects WxH, not \"" + s + "\"");
            o.width = static_cast<int>(toNumber(a + " width", s.substr(0, x), 64, 2048));
            o.height = static_cast<int>(toNumber(a + " height", s.substr(x + 1), 64, 2048));
        } else {
            throw std::invalid_argument("unknown argument \"" + a + "\"");
        }
    }
    if (!o.help && o.outDir.empty()) throw std::invalid_argument("--out DIR is required");
    return o;
}
