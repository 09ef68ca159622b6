#include "engine/template/TemplateForms.h"

#include "engine/template/Base64.h"
#include "engine/template/CompactTemplate.h"
#include "engine/template/Iso19794Record.h"
#include "engine/template/TemplateCodec.h"
#include "engine/template/TemplateError.h"

namespace lumo::engine {

TemplateForm TemplateForms::detect(std::span<const std::uint8_t> bytes)
{
    if (TemplateCodec::hasMagic(bytes)) return TemplateForm::Bytes;
    if (CompactTemplate::hasMagic(bytes)) return TemplateForm::Compact;
    if (Iso19794Record::hasMagic(bytes)) return TemplateForm::Iso19794;
    return TemplateForm::Unknown;
}

Template TemplateForms::decode(std::span<const std::uint8_t> bytes)
{
    switch (detect(bytes)) {
    case TemplateForm::Bytes:
        return TemplateCodec::decode(bytes);
    case TemplateForm::Compact:
        return CompactTemplate::decode(bytes);
    case TemplateForm::Iso19794:
        return Template{TemplateGeneration::Gen10, Iso19794Record::importRecord(bytes)};
    case TemplateForm::Unknown:
        break;
    }
    if (bytes.empty()) throw TemplateError::damaged("the data is empty");
    throw TemplateError::damaged("it is not a template");
}

Template TemplateForms::decodeText(std::string_view text)
{
    return decode(base64Decode(text));
}

std::vector<std::uint8_t> TemplateForms::toBytes(const Template& tmpl) { return TemplateCodec::encode(tmpl); }

std::string TemplateForms::toText(const Template& tmpl) { return base64Encode(TemplateCodec::encode(tmpl)); }

std::vector<std::uint8_t> TemplateForms::toCompact(const Template& tmpl) { return CompactTemplate::encode(tmpl); }

std::vector<std::uint8_t> TemplateForms::toCard(const Template& tmpl) { return CompactTemplate::encodeForCard(tmpl); }

std::vector<std::uint8_t> TemplateForms::toIso19794(const Template& tmpl)
{
    return Iso19794Record::exportRecord(tmpl.features);
}

}  // namespace lumo::engine
