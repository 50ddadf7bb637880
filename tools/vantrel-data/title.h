// The title picture: evening sky over the valley, three aircraft and the game's name. The
// top corners stay quiet for the text the game draws there.
#pragma once

#include "tools/vantrel-data/image.h"

namespace vantrel::data {

constexpr int TITLE_WIDTH = 640, TITLE_HEIGHT = 480;

Image paintTitle();

}  // namespace vantrel::data
