// Pictures of a data directory for people to look at: every texture as PNG and every mesh
// drawn textured and lit from four sides.
#pragma once

#include <string>

namespace vantrel::data {

bool writePreviews(const std::string& dataDir, const std::string& outDir, std::string& error);

}  // namespace vantrel::data
