// The sounds asked for during a logic tick. The simulation, the mission reset and the game flow
// append to the World's table; the program plays the table after the tick, in order, and clears
// it. Volumes are worked out when an event is appended, from the camera at that moment.
#pragma once

#include <cstdint>

namespace vantrel {

// One-shot channels of the sound library.
enum SoundChannel : int8_t {
    SOUND_GUN = 0,
    SOUND_HIT = 1,
    SOUND_BLAST = 2,
    SOUND_EXPLOSION = 3,
    SOUND_MENU_MOVE = 4,
    SOUND_MENU_CONFIRM = 5,
    SOUND_LAUNCH = 6,
};

// Operations on the engine loop.
enum LoopOperation : int8_t { LOOP_START = 0, LOOP_LEVEL = 1, LOOP_STOP = 2 };

constexpr int MENU_VOLUME = 80;

enum SoundEventKind : uint8_t { SOUND_EVENT_PLAY = 1, SOUND_EVENT_LOOP = 2 };

struct SoundEvent {
    uint8_t kind;   // SoundEventKind
    int8_t code;    // SoundChannel of a play, LoopOperation of a loop
    int16_t value;  // volume of a play, level of a loop
};

// The library voices four overlapping plays of each of its seven channels, so no tick can make
// more than 28 one-shots heard; 60 leaves room for twice that. The last slots are kept for the
// engine loop (at most a start or a level and a stop per tick), so a tick full of gunfire can
// never swallow the loop's stop.
constexpr int MAX_SOUND_EVENTS = 64;
constexpr int LOOP_EVENT_RESERVE = 4;

struct SoundEvents {
    SoundEvent events[MAX_SOUND_EVENTS];
    int32_t count;
    int32_t dropped;  // events refused since the last clear because the table was full
};
static_assert(sizeof(SoundEvents) == MAX_SOUND_EVENTS * 4 + 8, "SoundEvents must have no hidden padding");

void appendSoundPlay(SoundEvents& t, int channel, int volume);
void appendSoundLoop(SoundEvents& t, int operation, int level);
void clearSoundEvents(SoundEvents& t);

}  // namespace vantrel
