// The player's settings file, settings.conf beside keys.conf: one "name = value" a line, '#'
// starts a comment. A line sets what the command-line option of its name sets, and the command
// line, read after the file, overrides it:
//   quality = low | medium | high
//   render-scale = 0.25 .. 1
//   hints = on | off
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "play/options.h"

namespace vantrel {

// $XDG_CONFIG_HOME/vantrel/settings.conf, or ~/.config/vantrel/settings.conf; empty when
// neither variable is set.
std::string settingsPath();

// Sets options from the file's text. A bad line changes nothing and adds "FILE:LINE: reason"
// to problems.
void applySettings(std::string_view text, const std::string& fileName, Options& options,
                   std::vector<std::string>& problems);

// Reads settingsPath() into options when the file exists, printing each problem as one line on
// standard error.
void loadSettings(Options& options);

// The text with the named setting's line set to value: the first line that sets it is
// replaced, comments and every other line kept; without one, a line is added at the end.
std::string withSetting(std::string_view text, std::string_view name, std::string_view value);

// Writes the setting into settingsPath(), keeping the rest of the file; false when the file
// cannot be written.
bool saveSetting(std::string_view name, std::string_view value);

}  // namespace vantrel
