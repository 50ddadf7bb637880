// The lines a player reads about the others: HUD notices and lobby names. Names arrive from
// other players as bytes and are shown escaped, never interpreted.
#pragma once

#include <string>

#include "net/messages.h"

namespace vantrel::net {

// The name with every byte outside printable ASCII as \xNN (and a backslash as \\).
std::string printableName(const std::string& name);

// One line for the HUD or the lobby, e.g. "ANN LEFT: THE COMPUTER FLIES THEIR AIRCRAFT".
std::string noticeText(const Notice& n);

}  // namespace vantrel::net
