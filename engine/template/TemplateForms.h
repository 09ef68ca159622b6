// TemplateForms: one entry point for every form a template value or string may take, for the
// engine's conversions (TextToTemplate, TemplateToText, CompressTemplateText,
// TextToCardTemplate, CardTemplateToText) and for hosts that hand over any of them.
//
//   byte form     TemplateCodec     "LFPT..."  the template value
//   text form     Base64 of the byte form      the template string
//   compact form  CompactTemplate   "LZ..."    compressed values and card templates
//   ISO record    Iso19794Record    "FMR\0..." exchange with other systems
//
// Readers accept any of the binary forms (told apart by their magic) and, for text, the Base64
// of any of them; writers produce the form asked for. All errors are TemplateError.
// Stateless; any thread.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/template/Template.h"

namespace lumo::engine {

enum class TemplateForm { Bytes, Compact, Iso19794, Unknown };

class TemplateForms {
public:
    static TemplateForm detect(std::span<const std::uint8_t> bytes);

    // Any binary form -> template. An ISO record becomes a generation-10 template.
    static Template decode(std::span<const std::uint8_t> bytes);
    // Base64 of any binary form -> template. Surrounding and embedded white space is ignored.
    static Template decodeText(std::string_view text);

    static std::vector<std::uint8_t> toBytes(const Template& tmpl);
    static std::string toText(const Template& tmpl);
    static std::vector<std::uint8_t> toCompact(const Template& tmpl);
    static std::vector<std::uint8_t> toCard(const Template& tmpl);
    static std::vector<std::uint8_t> toIso19794(const Template& tmpl);
};

}  // namespace lumo::engine
