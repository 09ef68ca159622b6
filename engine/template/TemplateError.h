// TemplateError: thrown when template bytes, template text or a foreign minutiae record cannot
// be read, or when feature data cannot be stored in a template.
//
// Decoders never read outside the data they are given; anything malformed, truncated, padded,
// or failing its checksum ends in this error. The message is a sentence for the user, for
// example "Template data is damaged: checksum mismatch.".
#pragma once

#include <string>

#include "engine/EngineError.h"

namespace lumo::engine {

class TemplateError : public EngineError {
public:
    using EngineError::EngineError;

    // "Template data is damaged: <detail>."
    static TemplateError damaged(const std::string& detail)
    {
        return TemplateError("Template data is damaged: " + detail + ".");
    }
};

}  // namespace lumo::engine
