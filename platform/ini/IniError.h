// Error type of the INI readers.
//
// Thrown for files that exist but cannot be read (not a regular file, no permission, larger
// than the readers accept) and for writes that would corrupt the file (a name or value with a
// line break). A missing file is never an error: it reads as empty.
#pragma once

#include <stdexcept>

namespace lumo::ini {

class IniError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace lumo::ini
