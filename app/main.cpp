// vantrel: the entry point. Exit codes: 0 when the start is cancelled or fails, 1 after a
// normal end, 2 for bad arguments.
#include "app/game.h"
#include "app/heap.h"
#include "app/keymap.h"
#include "play/options.h"
#include "play/settings.h"

int main(int argc, char** argv) {
    vantrel::Options options;
    vantrel::loadSettings(options);  // the command line overrides it
    if (auto exitCode = vantrel::parseCommandLine(argc, argv, options, vantrel::keysHelp())) return *exitCode;
    vantrel::tuneHeapForPlay();
    return vantrel::runProgram(options);
}
