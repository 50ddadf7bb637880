#include "sim/effects.h"

namespace vantrel {

void updateEffects(World&) {}

}  // namespace vantrel
