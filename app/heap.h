// How the game's heap is set for play: the driver's whole pictures and textures go back to the
// system when freed, and its per-frame buffers stay on the heap between frames.
#pragma once

namespace vantrel {

// Once, before the graphics device starts; holds for the whole process.
void tuneHeapForPlay();

}  // namespace vantrel
