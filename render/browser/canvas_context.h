// The browser's GL context: WebGL 2 on a page's canvas.
#pragma once

#include <memory>
#include <string>

#include "render/platform.h"

namespace vantrel::render {

// A WebGL 2 context on the canvas the CSS selector names (e.g. "#canvas"), current; null with the
// reason when the browser offers none.
std::unique_ptr<GraphicsContext> createCanvasContext(const std::string& canvasSelector, std::string* error);

}  // namespace vantrel::render
