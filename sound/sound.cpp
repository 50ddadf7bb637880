#include "sound/sound.h"

namespace vantrel {

namespace {

void soundPlay(const Sound& s, int channel, int volume) {
    if (!s.soundEnabled || !s.lib.DSplay) return;
    s.lib.DSplay(static_cast<char>(channel), static_cast<char>(volume));
}

void soundLoop(const Sound& s, int operation, int level) {
    if (!s.soundEnabled || !s.lib.DSloopOPE) return;
    s.lib.DSloopOPE(static_cast<char>(operation), static_cast<char>(level));
}

}  // namespace

void playSoundEvents(const Sound& s, SoundEvents& events) {
    for (int i = 0; i < events.count; ++i) {
        const SoundEvent& e = events.events[i];
        if (e.kind == SOUND_EVENT_PLAY) soundPlay(s, e.code, e.value);
        if (e.kind == SOUND_EVENT_LOOP) soundLoop(s, e.code, e.value);
    }
    clearSoundEvents(events);
}

}  // namespace vantrel
