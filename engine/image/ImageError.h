// ImageError: thrown when an image file or scanner frame cannot be used.
//
// The message is meant for a person ("... is truncated", "... is too small (40 x 40 pixels,
// at least 64 x 64 needed)") and names the file where there is one.
#pragma once

#include <stdexcept>
#include <string>

namespace lumo::engine {

class ImageError : public std::runtime_error {
public:
    explicit ImageError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace lumo::engine
