// Writes every intermediate of one extraction as PNG images (fpbench debug).
#pragma once

#include <string>

#include "engine/extract/ExtractParams.h"

namespace lumo::bench {

// Returns the number of minutiae found; throws ImageError / std::runtime_error.
int writeDebugImages(const std::string& imagePath, const std::string& outDir, int dpi,
                     const engine::ExtractParams& params = {});

}  // namespace lumo::bench
