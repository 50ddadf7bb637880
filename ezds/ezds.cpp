// libezds on SDL2_mixer. One-shot channels map onto a few mixer voices each; the engine
// loop is rendered by our own hook, so its pitch can follow the level. All entry points are
// called from the game's thread; the hook runs on SDL's audio thread.
#include "ezds/ezds.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "ezds/engine_loop.h"

namespace {

constexpr int SAMPLE_RATE = 44100;
constexpr int OUTPUT_CHANNELS = 2;
constexpr int BUFFER_FRAMES = 1024;  // about 23 ms: a sound starts within one 30 ms game tick
using ezds::ONE_SHOT_CHANNELS;
using ezds::VOICES_PER_CHANNEL;

enum LoopOperation { LOOP_START = 0, LOOP_LEVEL = 1, LOOP_STOP = 2 };

char versionText[] = "ezds 0.30 (SDL2_mixer)";

struct Library {
    bool open = false;
    Mix_Chunk* chunks[ONE_SHOT_CHANNELS] = {};
    int nextVoice[ONE_SHOT_CHANNELS] = {};
    ezds::EngineLoop engine;
    std::atomic<int> level{0};  // written by the game, read by the audio thread
    bool engineRunning = false;

    // A game that unloads the library without DSend must not leave the hook behind.
    ~Library();
};

Library lib;

// With no sound card, ALSA writes a screenful of errors while SDL tries it. Its library is
// shared with SDL's, so a silent error handler set here holds for SDL's attempt too; the
// game then reports the missing output once. The handler is put back once the output is
// open (or has failed), so it never outlives this library.
void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

class QuietAlsa {
public:
    QuietAlsa() : alsa_(dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL)) {
        if (alsa_) setHandler_ = reinterpret_cast<SetHandler>(dlsym(alsa_, "snd_lib_error_set_handler"));
        if (setHandler_) setHandler_(ignoreAlsaError);
    }
    ~QuietAlsa() {
        if (setHandler_) setHandler_(nullptr);
        if (alsa_) dlclose(alsa_);
    }
    QuietAlsa(const QuietAlsa&) = delete;
    QuietAlsa& operator=(const QuietAlsa&) = delete;

private:
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    void* alsa_;
    SetHandler setHandler_ = nullptr;
};

int noAudioOutput(const char* reason) {
    std::fprintf(stderr, "vantrel: no audio output (%s); playing without sound\n", reason);
    return 0;
}

void SDLCALL mixEngine(void* data, Uint8* stream, int bytes) {
    auto* loop = static_cast<ezds::EngineLoop*>(data);
    const auto frames = static_cast<std::size_t>(bytes) / (sizeof(int16_t) * static_cast<std::size_t>(loop->channels));
    ezds::renderEngine(*loop, reinterpret_cast<int16_t*>(stream), frames, lib.level.load(std::memory_order_relaxed));
}

// Mix_HookMusic takes the mixer's lock, so between these two the audio thread leaves the
// engine state alone.
void detachEngine() { Mix_HookMusic(nullptr, nullptr); }

void attachEngineIfRunning() {
    if (lib.engineRunning) Mix_HookMusic(mixEngine, &lib.engine);
}

void startEngine() {
    detachEngine();
    lib.engine.position = 0.0;
    lib.engine.gain = 0.0;
    lib.engineRunning = true;
    attachEngineIfRunning();
}

void stopEngine() {
    detachEngine();
    lib.engineRunning = false;
}

bool isOneShotChannel(int channel) { return channel >= 0 && channel < ONE_SHOT_CHANNELS; }

// Voices are taken in turn, so the voice reused is the one started longest ago.
int takeVoice(int channel) {
    const int voice = channel * VOICES_PER_CHANNEL + lib.nextVoice[channel];
    lib.nextVoice[channel] = (lib.nextVoice[channel] + 1) % VOICES_PER_CHANNEL;
    return voice;
}

// Volume 1..100 onto the mixer's 0..128, leaving the library's headroom; 1 stays audible.
int mixerVolume(int volume) {
    return std::max(1, static_cast<int>(std::lround(ezds::playGain(volume) * MIX_MAX_VOLUME)));
}

void releaseAll() {
    stopEngine();
    Mix_HaltChannel(-1);
    for (Mix_Chunk*& chunk : lib.chunks) {
        Mix_FreeChunk(chunk);
        chunk = nullptr;
    }
    std::fill(std::begin(lib.nextVoice), std::end(lib.nextVoice), 0);
    lib.engine.samples.clear();
    lib.level = 0;
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    lib.open = false;
}

Library::~Library() {
    if (open) releaseAll();
}

}  // namespace

int DSinit(HWND__*) {
    if (lib.open) return 1;
    const QuietAlsa quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return noAudioOutput(SDL_GetError());
    if (Mix_OpenAudio(SAMPLE_RATE, AUDIO_S16SYS, OUTPUT_CHANNELS, BUFFER_FRAMES) != 0) {
        const int result = noAudioOutput(Mix_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return result;
    }
    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
    Mix_QuerySpec(&frequency, &format, &channels);
    lib.engine.channels = channels;
    Mix_AllocateChannels(ONE_SHOT_CHANNELS * VOICES_PER_CHANNEL);
    lib.open = true;
    return 1;
}

void DSend() {
    if (lib.open) releaseAll();
}

int DSload(char* file, char channel) {
    if (!lib.open || !file || !isOneShotChannel(channel)) return 0;
    Mix_Chunk* chunk = Mix_LoadWAV(file);
    if (!chunk) return 0;
    Mix_FreeChunk(lib.chunks[static_cast<int>(channel)]);  // halts its voices first
    lib.chunks[static_cast<int>(channel)] = chunk;
    return 1;
}

int DSloadL(char* file) {
    if (!lib.open || !file) return 0;
    Mix_Chunk* chunk = Mix_LoadWAV(file);  // converted to the output's format and layout
    if (!chunk) return 0;
    const auto* samples = reinterpret_cast<const int16_t*>(chunk->abuf);
    detachEngine();
    lib.engine.samples.assign(samples, samples + chunk->alen / sizeof(int16_t));
    lib.engine.position = 0.0;
    attachEngineIfRunning();
    Mix_FreeChunk(chunk);
    return 1;
}

void DSplay(char channel, char volume) {
    if (!lib.open || !isOneShotChannel(channel) || volume <= 0) return;
    Mix_Chunk* chunk = lib.chunks[static_cast<int>(channel)];
    if (!chunk) return;
    const int voice = takeVoice(channel);
    Mix_Volume(voice, mixerVolume(volume));
    Mix_PlayChannel(voice, chunk, 0);
}

void DSloopOPE(char operation, char level) {
    if (!lib.open) return;
    switch (operation) {
        case LOOP_START:
            startEngine();
            break;
        case LOOP_LEVEL:
            lib.level.store(level, std::memory_order_relaxed);
            break;
        case LOOP_STOP:
            stopEngine();
            break;
        default:
            break;
    }
}

char* DSver() { return versionText; }
