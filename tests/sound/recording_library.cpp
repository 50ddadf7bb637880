// A stand-in sound library for the binding tests: its entry points, declared by the real
// library's header so they carry the same decorated names, record every call. Built a second
// time without DSver to stand for a library that lacks an entry point.
#include <cstdio>
#include <string>
#include <vector>

#include "ezds/ezds.h"

namespace {

std::vector<std::string> calls;
int initResult = 1;

// Formatted with snprintf: std::to_string would bring a unique symbol that keeps the first
// library loaded from ever unloading, and the tests check unloading.
template <typename... Args>
void record(const char* format, Args... args) {
    char text[512];
    std::snprintf(text, sizeof text, format, args...);
    calls.emplace_back(text);
}

}  // namespace

// Reached by the tests through a handle of their own on this library.
extern "C" {
int recordedCallCount() { return static_cast<int>(calls.size()); }
const char* recordedCall(int index) { return calls.at(static_cast<std::size_t>(index)).c_str(); }
void resetRecording(int dsinitResult) {
    calls.clear();
    initResult = dsinitResult;
}
}

int DSinit(HWND__* window) {
    record("DSinit %p", static_cast<void*>(window));
    return initResult;
}

void DSend() { record("%s", "DSend"); }

int DSload(char* file, char channel) {
    record("DSload %s %d", file, channel);
    return 1;
}

int DSloadL(char* file) {
    record("DSloadL %s", file);
    return 1;
}

void DSplay(char channel, char volume) { record("DSplay %d %d", channel, volume); }

void DSloopOPE(char operation, char level) { record("DSloopOPE %d %d", operation, level); }

#ifndef RECORDING_WITHOUT_VERSION
char* DSver() {
    static char versionText[] = "recording";
    return versionText;
}
#endif
