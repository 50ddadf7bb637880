#include "app/heap.h"

#include <malloc.h>

namespace vantrel {

namespace {

// Blocks this large (whole pictures, the driver's textures) are mapped apart from the heap and
// handed back when freed. glibc's own threshold slides up to the largest block freed so far, so
// that after loading such blocks would stay on the heap; a lower fixed threshold would map and
// fault in the driver's per-frame buffers every frame (measured: 60 % more CPU).
constexpr int LARGE_BLOCK_BYTES = 4 << 20;
// Free memory the heap may keep at its top. glibc hands back all over 128 KB there at once, so
// the driver's per-frame buffers were taken from the system and faulted in again every frame
// (measured: about 60 faults a frame with every table full, and none with this). The device
// still hands back all that is free when a scene changes.
constexpr int KEPT_FREE_TOP_BYTES = 8 << 20;

}  // namespace

void tuneHeapForPlay() {
    mallopt(M_MMAP_THRESHOLD, LARGE_BLOCK_BYTES);
    mallopt(M_TRIM_THRESHOLD, KEPT_FREE_TOP_BYTES);
}

}  // namespace vantrel
