#include "web/audio.h"

#include "ezds/engine_loop.h"
#include "sound/binding.h"

// Web Audio itself, in web/audio.js. Slots 0..6 are the one-shot channels, ENGINE_SLOT the
// engine loop; voices count across all channels.
extern "C" {
int vantrel_audio_open(int engineSlot);
void vantrel_audio_close();
int vantrel_audio_load(int slot, const char* path);
void vantrel_audio_play(int slot, int voice, double gain);
void vantrel_audio_engine_start();
void vantrel_audio_engine_set(double rate, double gain);
void vantrel_audio_engine_stop();
}

namespace vantrel::web {

namespace {

constexpr int ENGINE_SLOT = ezds::ONE_SHOT_CHANNELS;

enum LoopOperation { LOOP_START = 0, LOOP_LEVEL = 1, LOOP_STOP = 2 };

char versionText[] = "ezds 0.30 (Web Audio)";

struct Library {
    bool open = false;
    int nextVoice[ezds::ONE_SHOT_CHANNELS] = {};
};

Library lib;

bool isOneShotChannel(int channel) { return channel >= 0 && channel < ezds::ONE_SHOT_CHANNELS; }

// Voices are taken in turn, so the voice reused is the one started longest ago.
int takeVoice(int channel) {
    const int voice = channel * ezds::VOICES_PER_CHANNEL + lib.nextVoice[channel];
    lib.nextVoice[channel] = (lib.nextVoice[channel] + 1) % ezds::VOICES_PER_CHANNEL;
    return voice;
}

int init(HWND__*) {
    if (!lib.open) lib.open = vantrel_audio_open(ENGINE_SLOT) != 0;
    return lib.open ? 1 : 0;
}

void end() {
    if (!lib.open) return;
    vantrel_audio_close();
    lib = Library{};
}

int load(char* file, char channel) {
    if (!lib.open || !file || !isOneShotChannel(channel)) return 0;
    return vantrel_audio_load(channel, file);
}

int loadLoop(char* file) {
    if (!lib.open || !file) return 0;
    return vantrel_audio_load(ENGINE_SLOT, file);
}

void play(char channel, char volume) {
    if (!lib.open || !isOneShotChannel(channel) || volume <= 0) return;
    vantrel_audio_play(channel, takeVoice(channel), ezds::playGain(volume));
}

void loop(char operation, char level) {
    if (!lib.open) return;
    switch (operation) {
        case LOOP_START:
            vantrel_audio_engine_start();
            break;
        case LOOP_LEVEL:
            vantrel_audio_engine_set(ezds::engineRate(level), ezds::engineGain(level));
            break;
        case LOOP_STOP:
            vantrel_audio_engine_stop();
            break;
        default:
            break;
    }
}

char* version() { return versionText; }

}  // namespace

SoundLibrary webAudioLibrary() { return SoundLibrary{init, end, load, loadLoop, play, loop, version}; }

void startWebAudio(Sound& s, const std::string& dataDir) {
    s.lib = webAudioLibrary();
    startBoundSound(s, nullptr, dataDir);
}

}  // namespace vantrel::web
