#include "engine/synth/GroundTruthJson.h"

#include <cstdio>

namespace lumo::engine::synth {

namespace {

std::string number(double v)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.4f", v);
    // Trim trailing zeros: 1.5000 -> 1.5, 2.0000 -> 2.
    std::string s = buffer;
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s == "-0" ? "0" : s;
}

std::string quoted(const std::string& s)
{
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) continue;
        out += c;
    }
    return out + "\"";
}

const char* typeName(MinutiaType type)
{
    switch (type) {
    case MinutiaType::Ending:
        return "ending";
    case MinutiaType::Bifurcation:
        return "bifurcation";
    case MinutiaType::Other:
        break;
    }
    return "other";
}

}  // namespace

const char* fingerClassName(FingerClass fingerClass)
{
    switch (fingerClass) {
    case FingerClass::Arch:
        return "arch";
    case FingerClass::TentedArch:
        return "tented arch";
    case FingerClass::LeftLoop:
        return "left loop";
    case FingerClass::RightLoop:
        return "right loop";
    case FingerClass::Whorl:
        return "whorl";
    }
    return "unknown";
}

std::string groundTruthJson(const Impression& impression, const std::string& imageName, int finger,
                            int impressionNumber, FingerClass fingerClass)
{
    const FeatureSet& f = impression.minutiae;
    std::string out = "{\"image\":" + quoted(imageName) + ",\"finger\":" + std::to_string(finger) +
                      ",\"impression\":" + std::to_string(impressionNumber) +
                      ",\"class\":" + quoted(fingerClassName(fingerClass)) +
                      ",\"width\":" + std::to_string(f.width) + ",\"height\":" + std::to_string(f.height) +
                      ",\"resolution\":" + std::to_string(f.resolution) +
                      ",\"rotation\":" + number(impression.rotation) + ",\"shift\":[" +
                      number(impression.shiftX) + "," + number(impression.shiftY) +
                      "],\"pressure\":" + number(impression.pressure) +
                      ",\"partial\":" + (impression.partial ? "true" : "false") + ",\"minutiae\":[";
    for (std::size_t i = 0; i < f.minutiae.size(); ++i) {
        const Minutia& m = f.minutiae[i];
        if (i) out += ",";
        out += "\n  {\"x\":" + std::to_string(m.x) + ",\"y\":" + std::to_string(m.y) +
               ",\"angle\":" + number(m.angle) + ",\"type\":\"" + typeName(m.type) + "\"}";
    }
    out += "\n]}\n";
    return out;
}

}  // namespace lumo::engine::synth
