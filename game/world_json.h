// The world as one line of JSON, every field by its record name; floats with 9 significant
// digits, which is enough to give back the exact 32-bit value.
#pragma once

#include <string>

#include "world/world.h"

namespace vantrel {

std::string worldJson(const World& w, int tick, const std::string& outcome);

}  // namespace vantrel
