#include "sim/flight.h"

namespace vantrel {

void updateAircraft(World&, const Sound&) {}

}  // namespace vantrel
