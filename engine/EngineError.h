// EngineError: what an engine throws when an operation cannot be carried out.
//
// A false or zero answer of an operation is a result, not an error; EngineError is for a
// failure the caller cannot read from the answer (a rejected template, an unwritable file, no
// image yet). The message is a sentence meant for the user.
#pragma once

#include <stdexcept>

namespace lumo::engine {

class EngineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace lumo::engine
