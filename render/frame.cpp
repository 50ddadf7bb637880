#include "render/frame.h"

namespace vantrel::render {

constexpr uint32_t CLEAR_COLOUR = 0xFF1464FF;

void renderFrame(Device& device, const World&) { device.clear(CLEAR_COLOUR); }

}  // namespace vantrel::render
