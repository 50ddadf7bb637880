#include "sim/projectiles.h"

namespace vantrel {

void updateProjectiles(World&, const Sound&) {}

}  // namespace vantrel
