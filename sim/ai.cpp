#include "sim/ai.h"

namespace vantrel {

void updateAiPilots(World&) {}

}  // namespace vantrel
