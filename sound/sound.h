// The sound library's seven entry points as the game calls them, and the sound events.
// The table stays empty (sound off) until a library is bound; every call is made only
// while soundEnabled is nonzero.
#pragma once

#include "world/world.h"

struct HWND__;  // the window handle type of the library's DSinit entry point

namespace vantrel {

struct SoundLibrary {
    int (*DSinit)(HWND__* window);
    void (*DSend)();
    int (*DSload)(char* file, char channel);
    int (*DSloadL)(char* file);
    void (*DSplay)(char channel, char volume);
    void (*DSloopOPE)(char operation, char level);
    char* (*DSver)();
};

struct Sound {
    SoundLibrary lib{};
    int soundEnabled = 0;
    void* module = nullptr;  // the bound library's handle; null while unbound
};

// Engine loop operations of DSloopOPE.
enum LoopOperation : char { LOOP_START = 0, LOOP_LEVEL = 1, LOOP_STOP = 2 };

// One-shot channels.
enum SoundChannel : char {
    SOUND_GUN = 0,
    SOUND_HIT = 1,
    SOUND_BLAST = 2,
    SOUND_EXPLOSION = 3,
    SOUND_MENU_MOVE = 4,
    SOUND_MENU_CONFIRM = 5,
    SOUND_LAUNCH = 6,
};

constexpr int MENU_VOLUME = 80;

void soundPlay(const Sound& s, int channel, int volume);
void soundLoop(const Sound& s, int operation, int level);

// Plays a channel with a volume that falls with the distance from the camera:
// 100 at the eye, nothing from 66.67 units on.
void playSoundAt(const World& w, const Sound& s, float x, float y, float z, int channel);

}  // namespace vantrel
