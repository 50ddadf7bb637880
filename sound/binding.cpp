#include "sound/binding.h"

namespace vantrel {

int bindSoundLibrary(Sound&, const std::string&) { return 0; }
void freeSoundLibrary(Sound&) {}
void startSound(Sound& s, HWND__*, const std::string&, const std::string&) { s.soundEnabled = 0; }
void stopSound(Sound&) {}

}  // namespace vantrel
