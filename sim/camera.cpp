#include "sim/camera.h"

namespace vantrel {

void updateCamera(World&) {}

}  // namespace vantrel
