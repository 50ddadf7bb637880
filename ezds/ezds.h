// libezds: the game's sound library, loaded at run time from beside the executable.
// Seven plain C++ functions, deliberately not extern "C": the game looks them up by the
// names g++ gives them (int DSinit(HWND__*) is _Z6DSinitP6HWND__).
#pragma once

#if defined(EZDS_BUILDING)
#define EZDS_EXPORT __attribute__((visibility("default")))
#else
#define EZDS_EXPORT
#endif

struct HWND__;  // the game window; the audio output does not need it

// Opens the audio output. 1 when sound is available, 0 with no audio device.
EZDS_EXPORT int DSinit(HWND__* window);

// Stops every sound and releases the sounds and the audio output.
EZDS_EXPORT void DSend();

// Makes a wave file the one-shot sound of channel 0..6. 1 on success, 0 otherwise.
EZDS_EXPORT int DSload(char* file, char channel);

// Makes a wave file the engine loop. 1 on success, 0 otherwise.
EZDS_EXPORT int DSloadL(char* file);

// Plays a channel's sound once, at once, at volume 1..100 (100: at the listener). Playing
// a channel again while it sounds overlaps it; the oldest play restarts when all of the
// channel's voices are busy.
EZDS_EXPORT void DSplay(char channel, char volume);

// Engine loop: operation 0 starts it, 1 sets its level (0 silent, louder and higher-pitched
// as it rises, full at 100), 2 stops it.
EZDS_EXPORT void DSloopOPE(char operation, char level);

// The library's name and version.
EZDS_EXPORT char* DSver();
