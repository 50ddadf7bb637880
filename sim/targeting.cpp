#include "sim/targeting.h"

namespace vantrel {

void selectPlayerTarget(World&) {}

}  // namespace vantrel
