#include "world/keys.h"

#include <cstring>

namespace vantrel {

void updateKeyState(KeyState& k, const uint8_t snapshot[256]) {
    std::memcpy(k.prevKeys, k.keys, sizeof k.keys);
    std::memcpy(k.keys, snapshot, sizeof k.keys);
}

}  // namespace vantrel
