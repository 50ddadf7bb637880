// The sound library's seven entry points as the game calls them, and the playing of a tick's
// sound events. The table stays empty (sound off) until a library is bound; every call is made
// only while soundEnabled is true.
#pragma once

#include "world/sound_events.h"

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
    bool soundEnabled = false;
    void* module = nullptr;  // the bound library's handle; null while unbound
};

// Plays the table's events in order (when sound is on) and clears it.
void playSoundEvents(const Sound& s, SoundEvents& events);

}  // namespace vantrel
