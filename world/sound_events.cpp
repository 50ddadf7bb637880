#include "world/sound_events.h"

namespace vantrel {

namespace {

void append(SoundEvents& t, SoundEventKind kind, int code, int value) {
    t.events[t.count++] = SoundEvent{kind, static_cast<int8_t>(code), static_cast<int16_t>(value)};
}

}  // namespace

void appendSoundPlay(SoundEvents& t, int channel, int volume) {
    if (t.count >= MAX_SOUND_EVENTS - LOOP_EVENT_RESERVE) {
        ++t.dropped;
        return;
    }
    append(t, SOUND_EVENT_PLAY, channel, volume);
}

void appendSoundLoop(SoundEvents& t, int operation, int level) {
    if (t.count >= MAX_SOUND_EVENTS) {
        ++t.dropped;
        return;
    }
    append(t, SOUND_EVENT_LOOP, operation, level);
}

void clearSoundEvents(SoundEvents& t) { t = SoundEvents{}; }

}  // namespace vantrel
