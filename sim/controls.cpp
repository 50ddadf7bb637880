#include "sim/controls.h"

namespace vantrel {

void updatePlayerControls(World&) {}

}  // namespace vantrel
