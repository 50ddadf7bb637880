// The GL entry points: OpenGL 3.3 core through libepoxy on the desktop, OpenGL ES 3.0 (WebGL 2)
// in the browser build. What differs between the two beyond the header is in gl_dialect.h.
#pragma once

#ifdef __EMSCRIPTEN__
#include <GLES3/gl3.h>
#else
#include <epoxy/gl.h>
#endif
