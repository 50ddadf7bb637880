// The game program after the command line: the start dialog, the main window, start-up,
// the main loop, shutdown, and what the options ask for on the way (key scripts,
// screenshots, the World hash).
#pragma once

#include "play/options.h"

namespace vantrel {

// Runs the whole program; returns its exit code (EXIT_CANCELLED, EXIT_NORMAL or
// EXIT_BAD_ARGUMENTS).
int runProgram(const Options& options);

}  // namespace vantrel
