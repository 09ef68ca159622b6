// Template: a feature set together with the template generation it is stored under.
//
// Generations are the engine's "9" and "10" (FPEngineVersion). Generation 9 keeps minutia
// position, direction and type. Generation 10 adds each minutia's quality and the quality of
// the press. Both generations are read forever; a generation-9 template decodes with every
// minutia quality set to kUnknownMinutiaQuality and press quality 0.
//
// Plain value type; no threads, no errors of its own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/template/FeatureSet.h"

namespace lumo::engine {

enum class TemplateGeneration : std::uint8_t { Gen9 = 9, Gen10 = 10 };

// Quality given to minutiae read from a form that does not store quality.
inline constexpr std::uint8_t kUnknownMinutiaQuality = 50;

struct Template {
    TemplateGeneration generation = TemplateGeneration::Gen10;
    FeatureSet features;
};

// "9" -> Gen9, "10" -> Gen10, anything else -> nullopt.
inline std::optional<TemplateGeneration> generationFromText(std::string_view text)
{
    if (text == "9") return TemplateGeneration::Gen9;
    if (text == "10") return TemplateGeneration::Gen10;
    return std::nullopt;
}

inline std::string generationText(TemplateGeneration generation)
{
    return generation == TemplateGeneration::Gen9 ? "9" : "10";
}

// The generation byte as stored in every form; nullopt for a byte naming no generation.
inline std::optional<TemplateGeneration> generationFromByte(std::uint8_t value)
{
    if (value == 9) return TemplateGeneration::Gen9;
    if (value == 10) return TemplateGeneration::Gen10;
    return std::nullopt;
}

}  // namespace lumo::engine
