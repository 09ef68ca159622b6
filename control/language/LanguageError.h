// LanguageError: the error raised while a language file is applied.
//
// Raised by the escape decoding for a numeric escape whose value does not fit a character
// ("Numeric constant too large."). The loaders of form texts turn it into a false result; the
// message loading lets it through so that the automation member reports a failure.
#pragma once

#include <stdexcept>

namespace lumo::language {

class LanguageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace lumo::language
